#!/usr/bin/env python3
"""Answers for the update service the way someone on the path would, for the
self-update tests: GET /v1/health 200, GET /v1/app/version the bytes of FILE
(read anew for every request), everything else 404.

    version_server.py --file FILE --ready READY

Listens on a free port of 127.0.0.1 and writes it to READY once it accepts
connections."""
import argparse
import http.server
import os
import sys


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--file", required=True)
    parser.add_argument("--ready", required=True)
    args = parser.parse_args()

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *unused):
            pass

        def do_GET(self):
            if self.path.endswith("/v1/health"):
                body, status = b'{"status":"ok"}\n', 200
            elif self.path.endswith("/v1/app/version"):
                with open(args.file, "rb") as answer:
                    body, status = answer.read(), 200
            else:
                body, status = b"not found\n", 404
            self.send_response(status)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    with open(args.ready + ".tmp", "w") as ready:
        ready.write(str(server.server_address[1]))
    os.replace(args.ready + ".tmp", args.ready)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
