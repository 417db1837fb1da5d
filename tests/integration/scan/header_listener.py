#!/usr/bin/env python3
"""A stand-in update service that keeps the headers of what it is sent.

  header_listener.py LOG HOST:PORT

Answers every POST /v1/scan with an empty answer document and every other
request with 404; appends each request's method, path and headers to LOG (one
"name: value" per line, a blank line after each request). Writes LOG empty
when it listens. Runs until it is killed.
"""

import sys
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


def main():
    log, address = sys.argv[1:]
    host, port = address.rsplit(":", 1)

    class Handler(BaseHTTPRequestHandler):
        def record(self):
            with open(log, "a", encoding="utf-8") as out:
                out.write(f"{self.command} {self.path}\n")
                for name, value in self.headers.items():
                    out.write(f"{name}: {value}\n")
                out.write("\n")

        def do_POST(self):
            self.rfile.read(int(self.headers.get("Content-Length", "0")))
            self.record()
            body = b"<NewDataSet/>\r\n"
            self.send_response(200 if self.path.endswith("/v1/scan") else 404)
            self.send_header("Content-Type", "text/xml; charset=utf-8")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def do_GET(self):
            self.record()
            self.send_error(404)

        def log_message(self, *args):
            pass

    server = ThreadingHTTPServer((host, int(port)), Handler)
    open(log, "w").close()
    server.serve_forever()


if __name__ == "__main__":
    main()
