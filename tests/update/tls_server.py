#!/usr/bin/env python3
"""Loopback HTTPS server for the download test.

Usage: tls_server.py FOLDER

Makes two throw-away keys and self-signed certificates for 127.0.0.1 with openssl in FOLDER:
"trusted" (trusted.der is what the test adds to the root store of its own wine prefix) and
"stranger" (never trusted). Serves GET /build.bin with a fixed body on two ports of 127.0.0.1,
one per certificate, writes "<trusted port> <stranger port>" to FOLDER/port once both listen,
and exits after
60 seconds, when FOLDER/stop appears or when FOLDER is gone; FOLDER/port is removed on exit.
"""
import http.server
import os
import ssl
import subprocess
import sys
import threading
import time


def body():
    return bytes((i * 7 + i // 251) % 256 for i in range(50000))


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        if self.path.split("?")[0] != "/build.bin":
            self.send_response(404)
            self.send_header("Content-Length", "0")
            self.send_header("Connection", "close")
            self.end_headers()
            return
        data = body()
        self.send_response(200)
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(data)

    def log_message(self, *args):
        pass


def make_certificate(folder, name):
    key = os.path.join(folder, name + ".key")
    cert = os.path.join(folder, name + ".pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "2", "-subj", "/CN=127.0.0.1",
                    # Wine matches the host name against DNS entries only, Windows against IP entries.
                    "-addext", "subjectAltName=IP:127.0.0.1,DNS:127.0.0.1,DNS:localhost",
                    "-addext", "basicConstraints=critical,CA:TRUE"],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["openssl", "x509", "-in", cert, "-outform", "DER", "-out", os.path.join(folder, name + ".der")],
                   check=True)
    return key, cert


def start_server(key, cert):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def main():
    folder = sys.argv[1]
    servers = [start_server(*make_certificate(folder, name)) for name in ("trusted", "stranger")]
    with open(os.path.join(folder, "port.tmp"), "w") as f:
        f.write(" ".join(str(server.server_address[1]) for server in servers))
    os.replace(os.path.join(folder, "port.tmp"), os.path.join(folder, "port"))
    deadline = time.time() + 60
    while time.time() < deadline and os.path.isdir(folder) and not os.path.exists(os.path.join(folder, "stop")):
        time.sleep(0.1)
    for server in servers:
        server.shutdown()
    try:
        os.remove(os.path.join(folder, "port"))
    except OSError:
        pass


if __name__ == "__main__":
    main()
