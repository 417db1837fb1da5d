#!/usr/bin/env bash
# Runs http_downloader_test.exe under Wine against a local http_test_server
# (native build) serving body.bin, and stops the server at the end.
set -euo pipefail
: "${VELKOR_HTTP_TEST_SERVER:?the native http_test_server is not known}"
if [ ! -x "$VELKOR_HTTP_TEST_SERVER" ]; then
  echo "http_downloader.sh: $VELKOR_HTTP_TEST_SERVER not found; build it first:" \
       "cmake --preset native && cmake --build --preset native --target http_test_server" >&2
  exit 1
fi
test_exe="$1"
work="$(mktemp -d)"
server=""
trap '[ -z "$server" ] || kill "$server" 2>/dev/null || true; [ -z "$server" ] || wait "$server" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/root"
python3 -c '
import sys
open(sys.argv[1], "wb").write(bytes((i * 31 + 7) % 251 for i in range(300000)))' "$work/root/body.bin"
"$VELKOR_HTTP_TEST_SERVER" --root "$work/root" --port-file "$work/port" --log "$work/requests.log" \
  </dev/null >"$work/server.out" 2>&1 &
server=$!
for _ in $(seq 1 100); do [ -s "$work/port" ] && break; kill -0 "$server" 2>/dev/null || break; sleep 0.1; done
[ -s "$work/port" ] || { echo "the test server did not start:"; cat "$work/server.out"; exit 1; }
export VELKOR_TEST_SERVER="http://127.0.0.1:$(cat "$work/port")/"
# Wine sees the host's root as drive Z:.
export VELKOR_TEST_SERVER_LOG="Z:${work//\//\\}\\requests.log"
"$VELKOR_WINE_RUN" "$test_exe"
