#!/usr/bin/env bash
# The service behind nginx with TLS, as deploy/nginx/velkor-service.conf runs it:
# a test authority and a certificate for localhost, the service on its Unix
# socket, nginx on a loopback port, and the client over HTTPS:
#   - before the authority is trusted in the prefix, `velkorctl scan` cannot
#     connect (exit 3): the certificate is really checked;
#   - with it trusted (tests/tls/test_ca.sh), the office machine is offered exactly the
#     expected updates through nginx, and the driver lookups work too;
#   - nginx's own limits: a body over client_max_body_size is answered 413, and
#     a client from another address past the scan rate's burst 429.
set -euo pipefail
run="$VELKOR_WINE_RUN"
build="$VELKOR_BUILD_DIR"
here="$VELKOR_SOURCE_DIR/tests/integration"
ctl="$build/src/app/velkorctl/velkorctl.exe"
machine="$build/tests/fixtures/machines/office-pc-2007.json"
expected="$VELKOR_SOURCE_DIR/tools/sample_catalog/expected_offers.txt"
work="$(mktemp -d)"
chmod 755 "$work"  # nginx's workers (nobody, under root) reach the socket through it
source "$here/scan/service_fixture.sh"
source "$here/edge/nginx_fixture.sh"
service=""
stop_all() {
  velkor_nginx_stop
  if [ -n "$service" ]; then kill "$service" 2>/dev/null || true; wait "$service" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap stop_all EXIT
failures=0
pass() { echo "ok   $1"; }
fail() { echo "FAIL $1"; failures=$((failures + 1)); }

test_ca="$VELKOR_SOURCE_DIR/tests/tls/test_ca.sh"
bash "$test_ca" ca "$work/tls"
bash "$test_ca" server "$work/tls" localhost DNS:localhost IP:127.0.0.1
port="$(velkor_free_port 127.0.0.1)"
url="https://localhost:$port/"
mkdir -p "$work/run" "$work/nginx"
"$VELKOR_SERVICE_BINARY" import --catalog "$work/catalog.db" --packages "$VELKOR_SAMPLE_CATALOG/packages" \
  >"$work/import.log" 2>&1 || { cat "$work/import.log"; exit 1; }
"$VELKOR_SERVICE_BINARY" serve --catalog "$work/catalog.db" --packages "$VELKOR_SAMPLE_CATALOG/packages" \
  --listen "unix:$work/run/service.sock" --public-url "$url" --threads 4 \
  --scan-key "$VELKOR_SERVICE_KEYS/scan-answer.key" --driver-key "$VELKOR_SERVICE_KEYS/driver-answer.key" \
  </dev/null >"$work/serve.log" 2>&1 &
service=$!
for _ in $(seq 200); do [ -S "$work/run/service.sock" ] && break; sleep 0.05; done
velkor_nginx_start "$work/nginx" "$port" "$work/run/service.sock" "$work/tls/localhost.pem" "$work/tls/localhost.key"
velkor_https_wait "${url}v1/health" 30 "$work/tls/ca.pem" || { fail "no health through nginx"; cat "$work/nginx/error.log" "$work/serve.log"; exit 1; }
pass "health through nginx over TLS"

"$run" "$build/tools/testmachine/testmachine.exe" "$machine" >"$work/testmachine.log" 2>&1 || {
  cat "$work/testmachine.log"; exit 1; }
velkor_service_use "$url"
# The fallback host is this machine too (never taken: Wine checks a server's
# name against the certificate's DNS names only).
"$run" reg add 'HKCU\Software\VELKOR Brenn' /v FallbackHost /t REG_SZ /d 127.0.0.1 /f >/dev/null

status=0
"$run" "$ctl" scan >"$work/untrusted.txt" 2>&1 || status=$?
if [ "$status" -eq 3 ]; then
  pass "an authority the prefix does not trust: no connection (exit 3)"
else
  fail "scan with the authority untrusted exited $status"; cat "$work/untrusted.txt"
fi

bash "$test_ca" trust-wine "$work/tls/ca.pem" || fail "the authority could not be trusted in the prefix"
status=0
"$run" "$ctl" scan >"$work/scan.txt" 2>"$work/scan.err" || status=$?
if [ "$status" -eq 0 ] && SSL_CERT_FILE="$work/tls/ca.pem" python3 "$here/scan/check_offers.py" \
     "$work/scan.txt" "$expected" "$url" "$VELKOR_SAMPLE_CATALOG/packages"; then
  pass "velkorctl scan through nginx over HTTPS offers the expected updates"
else
  fail "velkorctl scan through nginx (exit $status)"; cat "$work/scan.txt" "$work/scan.err" "$work/nginx/error.log"
fi

python3 - "$port" "$work/tls/ca.pem" <<'PY' && pass "nginx refuses a body over its limit (413) and scans past the burst (429)" || fail "nginx limits"
import http.client, socket, ssl, sys
port, ca = int(sys.argv[1]), sys.argv[2]
context = ssl.create_default_context(cafile=ca)

def post(path, body, source):
    raw = socket.create_connection(("127.0.0.1", port), timeout=10, source_address=(source, 0))
    connection = http.client.HTTPSConnection("localhost", port, context=context, timeout=10)
    connection.sock = context.wrap_socket(raw, server_hostname="localhost")
    connection.request("POST", path, body=body, headers={"Content-Type": "text/xml"})
    status = connection.getresponse().status
    connection.close()
    return status

big = post("/v1/scan", b"<newdataset/>" + b" " * (5 << 20), "127.0.0.2")
statuses = [post("/v1/scan", b"<newdataset/>", "127.0.0.2") for _ in range(40)]
print(f"over the size: {big}; 40 scans from 127.0.0.2: {statuses.count(200)} answered, {statuses.count(429)} limited")
sys.exit(0 if big == 413 and statuses.count(429) > 0 and statuses[0] == 200 else 1)
PY

[ "$failures" -eq 0 ]
