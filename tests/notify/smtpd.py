#!/usr/bin/python3
"""Local test SMTP server (aiosmtpd). Modes: plain | starttls | smtps; optional AUTH (LOGIN/PLAIN).
Every accepted message is written to OUTDIR/<n>.eml; the line printed for it names the TLS version the
connection negotiated (tls=none without TLS). --tls-max 1.2 caps the server at TLS 1.2."""
import argparse, asyncio, itertools, os, ssl, signal
from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult

p = argparse.ArgumentParser()
p.add_argument("--port", type=int, default=8025)
p.add_argument("--mode", choices=["plain", "starttls", "smtps"], default="plain")
p.add_argument("--auth", help="user:pass -> require AUTH")
p.add_argument("--outdir", required=True)
p.add_argument("--cert")
p.add_argument("--key")
p.add_argument("--tls-max", choices=["1.2", "1.3"])
a = p.parse_args()
os.makedirs(a.outdir, exist_ok=True)
counter = itertools.count(len(os.listdir(a.outdir)))

class Saver:
    async def handle_DATA(self, server, session, envelope):
        n = next(counter)
        with open(os.path.join(a.outdir, f"{n}.eml"), "wb") as f:
            f.write(envelope.original_content)
        tls = server.transport.get_extra_info("ssl_object")
        version = tls.version() if tls is not None else "none"
        print(f"saved {n}.eml from={envelope.mail_from} rcpt={','.join(envelope.rcpt_tos)} auth={session.authenticated} tls={version}", flush=True)
        return "250 OK"

def authenticator(server, session, envelope, mechanism, auth_data):
    user, pw = a.auth.split(":", 1)
    ok = auth_data.login.decode() == user and auth_data.password.decode() == pw
    print(f"AUTH {mechanism} ok={ok}", flush=True)
    return AuthResult(success=ok, handled=False)  # handled=False -> server sends 535

ctx = None
if a.mode != "plain":
    ctx = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    ctx.load_cert_chain(a.cert, a.key)  # a self-signed pair: openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=127.0.0.1 ...
    if a.tls_max == "1.2":
        ctx.maximum_version = ssl.TLSVersion.TLSv1_2
kw = dict(hostname="127.0.0.1", port=a.port)
if a.mode == "starttls":
    kw.update(tls_context=ctx, require_starttls=True)
if a.mode == "smtps":
    kw.update(ssl_context=ctx)
if a.auth:
    kw.update(authenticator=authenticator, auth_required=True,
              auth_require_tls=(a.mode == "starttls"))
signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGINT, signal.SIGTERM})
c = Controller(Saver(), **kw)
c.start()
print(f"listening {a.mode} :{a.port} auth={bool(a.auth)}", flush=True)
signal.sigwait({signal.SIGINT, signal.SIGTERM})
c.stop()
