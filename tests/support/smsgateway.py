#!/usr/bin/python3
"""A stand-in for the SMS gateway service, for tests: the part of its REST API v2 that libsmsengine uses.

Run:  /usr/bin/python3 tests/support/smsgateway.py [options]
      It listens on 127.0.0.1 only, prints "listening on http://127.0.0.1:PORT" on stdout (flushed) once it
      accepts connections, and serves until it is killed. Point the library at it with
      SMSENGINE_URL=http://127.0.0.1:PORT

Options:
  --port N            port to listen on; 0 (the default) picks a free one (read it from the printed line)
  --user NAME         the account's user name; requests with another X-TM-Username are refused (401)
  --key KEY           the account's API key; requests with another X-TM-Key are refused (401). Without
                      --user/--key every account is accepted.
  --auth-message TEXT the "message" of the refusal (default "Invalid username or API key")
  --fail-delete ID    DELETE of inbound message ID answers 500 (once per occurrence of the option)
  --delay-ms N        every API request waits N ms before it is answered
  --tls-cert FILE     serve HTTPS with this certificate (PEM) and --tls-key FILE; the printed address
                      then begins with https://. tests/data/selfsigned-localhost.pem/.key is a
                      self-signed pair for 127.0.0.1, which a verifying client must refuse.

The gateway's side (every request must carry X-TM-Username and X-TM-Key):
  POST   /api/v2/messages         JSON {"text", "phones"}: recorded as sent, 201 {"id", "href", ...}
  GET    /api/v2/replies?page=N&limit=L
                                  inbound messages, newest (highest id) first, paged:
                                  {"page", "limit", "pageCount", "resources": [{"id", "sender",
                                  "receiver", "messageTime", "text"}]}
  DELETE /api/v2/replies/ID       removes an inbound message: 204; 404 when unknown
  GET    /api/v2/user             the account: {"id", "username", ...}
  Refusals and failures answer {"code": STATUS, "message": TEXT}.

The test's side (no credentials needed), all JSON:
  POST /control/inbound    queue inbound messages: one object or a list of {"text", "sender",
                           optional "messageTime" (ISO 8601; default now, UTC)}; answers {"ids": [...]}
                           with the identifiers given, in rising order
  GET  /control/inbound    the inbound messages still queued, oldest first
  GET  /control/sent       every message sent so far, in order: [{"text", "phones", "username", "key"}]
  GET  /control/requests   every API request so far: [{"method", "path", "username", "key"}]
  POST /control/mode       change the behaviour; any of:
                             {"failDelete": {"ID": TIMES, ...}}   DELETE of ID fails TIMES more times
                             {"sendError": {"status": 500, "message": TEXT or null, "body": RAW or null}}
                                 every send answers that status; with "message" null the body is
                                 "body" as given (default empty), so the library has no message to show;
                                 {"sendError": null} sends normally again
                             {"delayMs": N}
                             {"user": NAME, "key": KEY, "authMessage": TEXT}
  POST /control/reset      forget sent messages, requests, queued messages and modes (not the account)
"""

import argparse
import datetime
import json
import ssl
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit


class Gateway:
    def __init__(self, user, key, auth_message, fail_delete, delay_ms):
        self.lock = threading.Lock()
        self.user = user
        self.key = key
        self.auth_message = auth_message
        self.next_inbound_id = 1000
        self.next_sent_id = 1
        self.reset()
        for message_id in fail_delete:
            self.fail_delete[message_id] = self.fail_delete.get(message_id, 0) + 1
        self.delay_ms = delay_ms

    def reset(self):
        self.inbound = {}
        self.sent = []
        self.requests = []
        self.fail_delete = {}
        self.send_error = None
        self.delay_ms = 0

    def authorised(self, username, key):
        if self.user is not None and username != self.user:
            return False
        if self.key is not None and key != self.key:
            return False
        return True

    def queue(self, entries):
        ids = []
        now = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%S+0000")
        for entry in entries:
            message_id = self.next_inbound_id
            self.next_inbound_id += 1
            self.inbound[message_id] = {
                "id": message_id,
                "sender": str(entry.get("sender", "")),
                "receiver": "447000000000",
                "messageTime": entry.get("messageTime", now),
                "text": str(entry.get("text", "")),
            }
            ids.append(message_id)
        return ids


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "smsgateway-standin/1.0"

    def log_message(self, format, *args):  # quiet: tests read stdout
        pass

    @property
    def gateway(self):
        return self.server.gateway

    def answer(self, status, body=None, raw=None):
        data = raw if raw is not None else (b"" if body is None else json.dumps(body).encode("utf-8"))
        self.send_response(status)
        if data:
            self.send_header("Content-Type", "application/json" if raw is None else "text/plain")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def failure(self, status, message):
        self.answer(status, {"code": status, "message": message})

    def read_body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def read_json(self):
        try:
            return json.loads(self.read_body().decode("utf-8") or "null")
        except (ValueError, UnicodeDecodeError):
            return None

    def dispatch(self, method):
        parts = urlsplit(self.path)
        if parts.path.startswith("/control/"):
            return self.control(method, parts.path)
        return self.api(method, parts.path, parse_qs(parts.query))

    def do_GET(self):
        self.dispatch("GET")

    def do_POST(self):
        self.dispatch("POST")

    def do_DELETE(self):
        self.dispatch("DELETE")

    # --- the gateway's API ---

    def api(self, method, path, query):
        gateway = self.gateway
        username = self.headers.get("X-TM-Username", "")
        key = self.headers.get("X-TM-Key", "")
        body = self.read_json() if method == "POST" else None
        with gateway.lock:
            gateway.requests.append({"method": method, "path": self.path, "username": username, "key": key})
            delay = gateway.delay_ms
        if delay:
            time.sleep(delay / 1000.0)
        with gateway.lock:
            if not gateway.authorised(username, key):
                return self.failure(401, gateway.auth_message)
            if method == "POST" and path == "/api/v2/messages":
                return self.send_message(body, username, key)
            if method == "GET" and path == "/api/v2/replies":
                return self.list_replies(query)
            if method == "DELETE" and path.startswith("/api/v2/replies/"):
                return self.delete_reply(path[len("/api/v2/replies/"):])
            if method == "GET" and path == "/api/v2/user":
                return self.answer(200, {"id": 1, "username": username, "firstName": "Test", "lastName": "Account",
                                         "balance": 100.0, "currency": {"id": "EUR"}})
        return self.failure(404, "Not found")

    def send_message(self, body, username, key):
        gateway = self.gateway
        if gateway.send_error is not None:
            error = gateway.send_error
            status = int(error.get("status", 500))
            if error.get("message") is None:
                raw = error.get("body") or ""
                return self.answer(status, raw=raw.encode("utf-8"))
            return self.failure(status, error["message"])
        if not isinstance(body, dict) or not isinstance(body.get("text"), str) or not body.get("phones"):
            return self.failure(400, "Validation Failed")
        gateway.sent.append({"text": body["text"], "phones": str(body["phones"]), "username": username, "key": key})
        message_id = gateway.next_sent_id
        gateway.next_sent_id += 1
        self.answer(201, {"id": message_id, "href": "/api/v2/messages/%d" % message_id, "type": "message",
                          "sessionId": message_id, "bulkId": None, "messageId": message_id, "scheduleId": None})

    def list_replies(self, query):
        try:
            page = max(1, int(query.get("page", ["1"])[0]))
            limit = max(1, min(100, int(query.get("limit", ["10"])[0])))
        except ValueError:
            return self.failure(400, "Bad page or limit")
        messages = sorted(self.gateway.inbound.values(), key=lambda m: m["id"], reverse=True)
        page_count = max(1, (len(messages) + limit - 1) // limit)
        resources = messages[(page - 1) * limit: page * limit]
        self.answer(200, {"page": page, "limit": limit, "pageCount": page_count, "resources": resources})

    def delete_reply(self, text):
        gateway = self.gateway
        try:
            message_id = int(text)
        except ValueError:
            return self.failure(404, "Not found")
        if gateway.fail_delete.get(message_id, 0) > 0:
            gateway.fail_delete[message_id] -= 1
            return self.failure(500, "Could not delete the message")
        if gateway.inbound.pop(message_id, None) is None:
            return self.failure(404, "Message not found")
        self.answer(204)

    # --- the test's control ---

    def control(self, method, path):
        gateway = self.gateway
        body = self.read_json() if method == "POST" else None
        with gateway.lock:
            if method == "POST" and path == "/control/inbound":
                entries = body if isinstance(body, list) else [body] if isinstance(body, dict) else []
                return self.answer(200, {"ids": gateway.queue(entries)})
            if method == "GET" and path == "/control/inbound":
                return self.answer(200, sorted(gateway.inbound.values(), key=lambda m: m["id"]))
            if method == "GET" and path == "/control/sent":
                return self.answer(200, gateway.sent)
            if method == "GET" and path == "/control/requests":
                return self.answer(200, gateway.requests)
            if method == "POST" and path == "/control/mode" and isinstance(body, dict):
                if "failDelete" in body:
                    for message_id, times in (body["failDelete"] or {}).items():
                        gateway.fail_delete[int(message_id)] = int(times)
                if "sendError" in body:
                    gateway.send_error = body["sendError"]
                if "delayMs" in body:
                    gateway.delay_ms = int(body["delayMs"])
                for field, attribute in (("user", "user"), ("key", "key"), ("authMessage", "auth_message")):
                    if field in body:
                        setattr(gateway, attribute, body[field])
                return self.answer(200, {})
            if method == "POST" and path == "/control/reset":
                gateway.reset()
                return self.answer(200, {})
        self.failure(404, "Not found")


class Server(ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        # A client that refuses the certificate or hangs up is part of the tests, not an error.
        if isinstance(sys.exc_info()[1], (ssl.SSLError, ConnectionError)):
            return
        super().handle_error(request, client_address)


def main():
    parser = argparse.ArgumentParser(description="SMS gateway stand-in for tests (loopback only).")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--user")
    parser.add_argument("--key")
    parser.add_argument("--auth-message", default="Invalid username or API key")
    parser.add_argument("--fail-delete", type=int, action="append", default=[])
    parser.add_argument("--delay-ms", type=int, default=0)
    parser.add_argument("--tls-cert")
    parser.add_argument("--tls-key")
    options = parser.parse_args()

    server = Server(("127.0.0.1", options.port), Handler)
    server.gateway = Gateway(options.user, options.key, options.auth_message, options.fail_delete, options.delay_ms)
    scheme = "http"
    if options.tls_cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(options.tls_cert, options.tls_key)
        # The handshake happens in the handler's thread, so a client that gives up does not block the server.
        server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
        scheme = "https"
    print("listening on %s://127.0.0.1:%d" % (scheme, server.server_address[1]), flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
