#!/usr/bin/env bash
# velkor-service as a program: exit codes of import, keygen and serve, a real
# request on a loopback port, and a clean stop on SIGTERM.
set -euo pipefail
service="$VELKOR_BUILD_DIR/service/velkor-service"
fixtures="$VELKOR_SOURCE_DIR/service/tests/fixtures"
work=$(mktemp -d)
server=""
cleanup() {
  if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# One HTTP request over bash's /dev/tcp; prints the whole response.
http_get() {
  exec 3<>"/dev/tcp/127.0.0.1/$1"
  printf 'GET %s HTTP/1.0\r\nHost: localhost\r\n\r\n' "$2" >&3
  cat <&3
  exec 3<&-
}

set +e
"$service" >/dev/null 2>"$work/usage.txt"; code=$?
set -e
[ "$code" -eq 2 ] || fail "no verb: exit $code, expected 2"
grep -q '^usage: velkor-service import' "$work/usage.txt" || fail "usage text missing"

mkdir -p "$work/stage/win7" "$work/packages"
cp "$fixtures/e1000.inf" "$work/stage/win7/"
(cd "$work/stage" && zip -q -r "$work/packages/e1000.zip" win7)
"$service" import --catalog "$work/catalog.db" --packages "$work/packages" >"$work/import.txt" \
  || fail "import of a good package failed: $(cat "$work/import.txt")"
grep -q '^import: 1 added, 0 updated, 0 unchanged, 0 removed, 0 failed; generation 1$' "$work/import.txt" \
  || fail "import summary: $(cat "$work/import.txt")"

echo "not a package" >"$work/packages/broken.cab"
set +e
"$service" import --catalog "$work/catalog.db" --packages "$work/packages" >"$work/import2.txt"; code=$?
set -e
[ "$code" -eq 1 ] || fail "import with an unreadable package: exit $code, expected 1"
grep -q '^failed: broken.cab: ' "$work/import2.txt" || fail "no report of broken.cab"
grep -q '1 unchanged' "$work/import2.txt" || fail "e1000.zip not kept: $(cat "$work/import2.txt")"

"$service" keygen --private-key "$work/scan.key" --public-key "$work/scan.pub" >"$work/keygen.txt" \
  || fail "keygen failed"
grep -Eq '^key id [0-9a-f]{16}$' "$work/keygen.txt" || fail "keygen output: $(cat "$work/keygen.txt")"
grep -q -- '-----BEGIN PUBLIC KEY-----' "$work/scan.pub" || fail "no public key written"
"$service" keygen --private-key "$work/driver.key" --public-key "$work/driver.pub" >/dev/null || fail "keygen failed"
set +e
"$service" keygen --private-key "$work/scan.key" --public-key "$work/other.pub" >/dev/null 2>&1; code=$?
set -e
[ "$code" -eq 1 ] || fail "keygen over an existing key: exit $code, expected 1"
keys=(--scan-key "$work/scan.key" --driver-key "$work/driver.key")

set +e
"$service" serve --catalog "$work/catalog.db" --packages "$work/packages" --listen 127.0.0.1:1 \
  2>"$work/nokeys.txt"; code=$?
set -e
[ "$code" -eq 2 ] || fail "serve without keys: exit $code, expected 2"
set +e
"$service" serve --catalog "$work/catalog.db" --packages "$work/packages" --listen 127.0.0.1:1 \
  --scan-key "$work/scan.pub" --driver-key "$work/driver.key" 2>"$work/badkey.txt"; code=$?
set -e
[ "$code" -eq 1 ] || fail "serve with a public key as its scan key: exit $code, expected 1"
grep -q 'scan.pub' "$work/badkey.txt" || fail "bad key not named: $(cat "$work/badkey.txt")"

port=$(( 20000 + RANDOM % 20000 ))
"$service" serve --catalog "$work/catalog.db" --packages "$work/packages" \
  --listen "127.0.0.1:$port" "${keys[@]}" >"$work/serve.txt" 2>&1 &
server=$!
for _ in $(seq 100); do
  grep -q 'listening' "$work/serve.txt" 2>/dev/null && break
  sleep 0.05
done
http_get "$port" /v1/health >"$work/health.txt" || fail "no answer on port $port"
grep -q '"packages":1' "$work/health.txt" || fail "health: $(cat "$work/health.txt")"
http_get "$port" /v1/packages/e1000.zip >"$work/package.txt"
grep -q '^HTTP/1.1 200' "$work/package.txt" || fail "package download: $(head -1 "$work/package.txt")"

kill -TERM "$server"
set +e
wait "$server"; code=$?
set -e
server=""
[ "$code" -eq 0 ] || fail "serve after SIGTERM: exit $code"
grep -q 'velkor-service: stopped' "$work/serve.txt" || fail "no stop line"

set +e
"$service" serve --catalog "$work/catalog.db" --packages "$work/packages" --listen 127.0.0.1:99999 \
  "${keys[@]}" 2>/dev/null; code=$?
set -e
[ "$code" -eq 2 ] || fail "bad port: exit $code, expected 2"
echo "velkor-service command line: ok"
