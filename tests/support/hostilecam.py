#!/usr/bin/python3
"""A network camera that misbehaves on purpose, on 127.0.0.1 only.

Prints "listening on http://127.0.0.1:PORT/" and serves each connection by the first word of its request
path:
  /garbage          random bytes instead of an HTTP answer, as fast as the client takes them
  /endless-header   a status line, then one header line that never ends
  /endless-part     a multipart stream whose first part never ends (no boundary follows)
  /huge-length      a part that announces a Content-Length of 1 TB and then sends bytes for ever
  /reset            a part cut in the middle of its picture by a connection reset
  /slowloris        the answer at one byte a second
  /wrong-boundary   a multipart stream that declares one boundary and uses another (PICTURE: a JPEG file)
Anything else gets 404.
"""
import os
import socket
import socketserver
import struct
import sys
import time

PICTURE = b""


def forever(conn, chunk):
    while True:
        conn.sendall(chunk)


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        conn = self.request
        conn.settimeout(30)
        request = b""
        while b"\r\n\r\n" not in request and len(request) < 65536:
            data = conn.recv(4096)
            if not data:
                return
            request += data
        parts = request.split(b" ")
        path = parts[1].decode("latin-1") if len(parts) > 1 else "/"
        mode = path.strip("/").split("/")[0].split("?")[0]
        try:
            getattr(self, "mode_" + mode.replace("-", "_"), self.not_found)(conn)
        except (BrokenPipeError, ConnectionResetError, socket.timeout, OSError):
            pass

    def not_found(self, conn):
        conn.sendall(b"HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n")

    def mode_garbage(self, conn):
        forever(conn, os.urandom(65536))

    def mode_endless_header(self, conn):
        conn.sendall(b"HTTP/1.0 200 OK\r\nX-Endless: ")
        forever(conn, b"a" * 65536)

    def stream_head(self, conn, boundary=b"frame"):
        conn.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: multipart/x-mixed-replace; boundary=" + boundary + b"\r\n\r\n")

    def mode_endless_part(self, conn):
        self.stream_head(conn)
        conn.sendall(b"--frame\r\nContent-Type: image/jpeg\r\n\r\n\xff\xd8")
        forever(conn, b"\x00" * 65536)

    def mode_huge_length(self, conn):
        self.stream_head(conn)
        conn.sendall(b"--frame\r\nContent-Type: image/jpeg\r\nContent-Length: 1099511627776\r\n\r\n\xff\xd8")
        forever(conn, b"\x11" * 65536)

    def mode_reset(self, conn):
        self.stream_head(conn)
        conn.sendall(b"--frame\r\nContent-Type: image/jpeg\r\nContent-Length: 100000\r\n\r\n\xff\xd8" + b"\x22" * 5000)
        time.sleep(0.2)
        conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        conn.close()

    def mode_slowloris(self, conn):
        answer = b"HTTP/1.0 200 OK\r\nContent-Type: multipart/x-mixed-replace; boundary=frame\r\n\r\n--frame\r\n"
        for i in range(len(answer)):
            conn.sendall(answer[i:i + 1])
            time.sleep(1)

    def mode_wrong_boundary(self, conn):
        self.stream_head(conn, b"declared")
        while True:
            conn.sendall(b"--used\r\nContent-Type: image/jpeg\r\nContent-Length: %d\r\n\r\n" % len(PICTURE)
                         + PICTURE + b"\r\n")
            time.sleep(0.1)


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    global PICTURE
    if len(sys.argv) > 1 and sys.argv[1]:
        with open(sys.argv[1], "rb") as f:
            PICTURE = f.read()
    server = Server(("127.0.0.1", 0), Handler)
    print("listening on http://127.0.0.1:%d/" % server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
