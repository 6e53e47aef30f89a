#!/usr/bin/python3
"""Prints what Python's own email parser reads from a received message (.eml), as JSON: the decoded
headers, and per top-level part its content type, character set, transfer encoding, file name, SHA-256 of
the decoded bytes and, for text, the decoded text."""
import email, email.policy, hashlib, json, sys

with open(sys.argv[1], "rb") as f:
    msg = email.message_from_bytes(f.read(), policy=email.policy.default)

def part_info(part):
    payload = part.get_payload(decode=True) or b""
    info = {
        "type": part.get_content_type(),
        "charset": part.get_content_charset(),
        "encoding": part.get("Content-Transfer-Encoding", ""),
        "filename": part.get_filename(),
        "sha256": hashlib.sha256(payload).hexdigest(),
    }
    if part.get_content_maintype() == "text":
        info["text"] = part.get_content()
    return info

print(json.dumps({
    "subject": str(msg["subject"]),
    "from": str(msg["from"]),
    "from_name": msg["from"].addresses[0].display_name if msg["from"] else "",
    "to": [a.addr_spec for a in msg["to"].addresses] if msg["to"] else [],
    "date": str(msg["date"]) if msg["date"] else "",
    "date_parsed": msg["date"] is not None and msg["date"].datetime is not None,
    "message_id": str(msg["message-id"] or ""),
    "content_type": msg.get_content_type(),
    "parts": [part_info(p) for p in msg.iter_parts()] if msg.is_multipart() else [part_info(msg)],
}, ensure_ascii=False))
