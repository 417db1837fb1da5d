#!/usr/bin/env python3
"""A proxy in front of velkor-service that hands the program altered answers,
the way someone on the path would, for the tests of Network.dll's checks.

    answer_proxy.py --upstream URL --mode MODE --ready FILE [--listen HOST]
                    [--key PRIVATE.pem] [--tls CERT.pem KEY.pem] [--log FILE]

Listens on a free port of HOST (default 127.0.0.1) and writes the port to FILE
once it accepts connections. Requests are forwarded to URL (the service); what
comes back to the program depends on MODE:

  pass       the service's answer as it is
  flip-byte  one byte of the body changed, the signature headers kept
  unsigned   the signature headers removed
  resign     signed anew with --key, under that key's identifier
  claim-key  signed anew with --key, under the service's own key identifier
  replay     the service's signed answer to another request: the scan request
             without its last device, the driver lookup for another OS code
  retold     the service's signed answer to the same request told to come from
             another Windows (its Velkor-Windows-Version header changed)

The signed bytes are built here from docs/protocol.md ("Signed answers"), with
hashlib and the openssl command, independently of the program and the service.
With MODE resign and the service's own key the program must accept the answer.
"""
import argparse
import base64
import hashlib
import http.client
import http.server
import os
import re
import ssl
import subprocess
import sys
import threading
import urllib.parse

KEY_ID = "X-Velkor-Key-Id"
SIGNATURE = "X-Velkor-Signature"
WINDOWS_HEADERS = ["Velkor-Windows-Version", "Velkor-Windows-Architecture", "Velkor-Windows-Product-Type",
                   "Velkor-Windows-Suite-Mask"]
HOP_BY_HOP = ("host", "content-length", "connection", "keep-alive", "transfer-encoding")


def signed_message(label, parts):
    lines = ["velkor-signature/1", label] + [hashlib.sha256(p).hexdigest() for p in parts]
    return ("\n".join(lines) + "\n").encode()


def key_id(private_key):
    der = subprocess.run(["openssl", "pkey", "-in", private_key, "-pubout", "-outform", "DER"],
                         check=True, capture_output=True).stdout
    return hashlib.sha256(der).hexdigest()[:16]


def sign(private_key, message):
    raw = subprocess.run(["openssl", "dgst", "-sha256", "-sign", private_key],
                         input=message, check=True, capture_output=True).stdout
    return base64.b64encode(raw).decode()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--upstream", required=True)
    parser.add_argument("--mode", required=True,
                        choices=["pass", "flip-byte", "unsigned", "resign", "claim-key", "replay", "retold"])
    parser.add_argument("--ready", required=True)
    parser.add_argument("--listen", default="127.0.0.1")
    parser.add_argument("--key")
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--log")
    args = parser.parse_args()
    upstream = urllib.parse.urlsplit(args.upstream)
    log_lock = threading.Lock()

    def log(line):
        if args.log:
            with log_lock, open(args.log, "a") as out:
                out.write(line + "\n")

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *unused):
            pass

        def forward(self, method, target, body, headers):
            connection = http.client.HTTPConnection(upstream.hostname, upstream.port, timeout=30)
            connection.request(method, target, body=body, headers=headers)
            answer = connection.getresponse()
            result = (answer.status, answer.getheaders(), answer.read())
            connection.close()
            return result

        def parts(self, method, target, request_body, answer_body):
            """The purpose and the parts the service signs for this exchange."""
            path = urllib.parse.urlsplit(target)
            windows = "".join(f"{name}: {self.headers[name]}\r\n" for name in WINDOWS_HEADERS
                              if name in self.headers).encode()
            if method == "POST" and path.path.endswith("/v1/scan"):
                return "scan-answer", [request_body, windows, answer_body]
            if method == "GET" and path.path.endswith("/v1/driver"):
                query = urllib.parse.parse_qs(path.query)
                return "driver-answer", [query.get("id", [""])[0].encode(), query.get("os", [""])[0].encode(),
                                         windows, answer_body]
            return None, None

        def relay(self, method):
            length = int(self.headers.get("Content-Length", "0"))
            request_body = self.rfile.read(length) if length else b""
            target = self.path
            forwarded_body, forwarded_target = request_body, target
            forwarded_headers = {k: v for k, v in self.headers.items() if k.lower() not in HOP_BY_HOP}
            if args.mode == "retold":
                told = self.headers.get(WINDOWS_HEADERS[0], "")
                forwarded_headers[WINDOWS_HEADERS[0]] = "6.1.7601" if told == "5.1.2600" else "5.1.2600"
            if args.mode == "replay":
                if method == "POST":
                    # Another machine's inventory: the same request less its last device.
                    forwarded_body = re.sub(rb"<device>(?:(?!<device>).)*</device>\r\n(</newdataset>)", rb"\1",
                                            request_body, count=1, flags=re.S)
                else:
                    forwarded_target = re.sub(r"([?&]os=)[^&]*", r"\g<1>1", target)
            status, headers, body = self.forward(method, forwarded_target, forwarded_body, forwarded_headers)
            headers = [(k, v) for k, v in headers if k.lower() not in ("content-length", "transfer-encoding",
                                                                         "connection", "keep-alive")]
            label, parts = self.parts(method, target, request_body, body)
            if status == 200 and label:
                if args.mode == "flip-byte":
                    middle = len(body) // 2
                    body = body[:middle] + bytes([body[middle] ^ 0x01]) + body[middle + 1:]
                elif args.mode == "unsigned":
                    headers = [(k, v) for k, v in headers if k.lower() not in (KEY_ID.lower(), SIGNATURE.lower())]
                elif args.mode in ("resign", "claim-key"):
                    service_id = dict((k.lower(), v) for k, v in headers).get(KEY_ID.lower(), "")
                    headers = [(k, v) for k, v in headers if k.lower() not in (KEY_ID.lower(), SIGNATURE.lower())]
                    headers.append((KEY_ID, key_id(args.key) if args.mode == "resign" else service_id))
                    headers.append((SIGNATURE, sign(args.key, signed_message(label, parts))))
            log(f"{method} {target} {status} {args.mode}")
            self.send_response(status)
            for k, v in headers:
                self.send_header(k, v)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def do_GET(self):
            self.relay("GET")

        def do_POST(self):
            self.relay("POST")

    server = http.server.ThreadingHTTPServer((args.listen, 0), Handler)
    server.daemon_threads = True
    if args.tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.tls[0], args.tls[1])
        server.socket = context.wrap_socket(server.socket, server_side=True)
    with open(args.ready + ".tmp", "w") as ready:
        ready.write(str(server.server_address[1]))
    os.replace(args.ready + ".tmp", args.ready)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
