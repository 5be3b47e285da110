#!/usr/bin/env python3
"""A loopback update server for the whole-program checks.

    update_server.py PAYLOAD PORTFILE

Serves PAYLOAD as build.exe (in any folder) and version descriptions that offer it:
/good/version.json (version 9.9.9, the payload's SHA-256 digest in upper case, in groups, as a
user might paste it), /bad/version.json (version 9.9.8, a digest of other bytes),
/slow/version.json (version 9.9.7, whose build.exe trickles in at 1 KiB every 100 ms) and
/silent/version.json (accepted and never answered). Binds a free port on 127.0.0.1, writes it to
PORTFILE once it listens, and serves until it is killed; each request has a thread of its own.
"""
import hashlib
import http.server
import os
import sys
import time


def main():
    payload_path, port_path = sys.argv[1], sys.argv[2]
    with open(payload_path, "rb") as f:
        payload = f.read()
    digest = hashlib.sha256(payload).hexdigest().upper()
    grouped = " ".join(digest[i:i + 16] for i in range(0, len(digest), 16))
    wrong = hashlib.sha256(payload + b"tampered").hexdigest()
    manifests = {
        "/good/version.json": '{\n  "ver": "9.9.9",\n  "url": "build.exe",\n  "sha256": "%s",\n'
                              '  "note": "e2e build"\n}\n' % grouped,
        "/bad/version.json": '{"ver": "9.9.8", "url": "build.exe", "sha256": "%s"}' % wrong,
        "/slow/version.json": '{"ver": "9.9.7", "url": "build.exe", "sha256": "%s"}' % digest,
    }

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            path = self.path.split("?", 1)[0]
            if path == "/silent/version.json":
                time.sleep(600)
                return
            if path in manifests:
                body = manifests[path].encode("utf-8")
            elif path.endswith("/build.exe"):
                body = payload
            else:
                self.send_error(404)
                return
            self.send_response(200)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            if path == "/slow/build.exe":
                try:
                    for i in range(0, len(body), 1024):
                        self.wfile.write(body[i:i + 1024])
                        self.wfile.flush()
                        time.sleep(0.1)
                except OSError:
                    pass
                return
            self.wfile.write(body)

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    with open(port_path + ".part", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(port_path + ".part", port_path)
    server.serve_forever()


if __name__ == "__main__":
    main()
