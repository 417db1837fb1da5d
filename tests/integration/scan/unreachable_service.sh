#!/usr/bin/env bash
# A service that takes connections but never answers, on both the configured
# address and the fallback host: `velkorctl scan` makes exactly two exchanges,
# each a call and its fallback (four connections), says once that the
# connection failed, exits 3, records the scan's time and keeps the counts of
# the earlier scan.
set -euo pipefail
run="$VELKOR_WINE_RUN"
build="$VELKOR_BUILD_DIR"
here="$VELKOR_SOURCE_DIR/tests/integration/scan"
ctl="$build/src/app/velkorctl/velkorctl.exe"
work="$(mktemp -d)"
source "$here/service_fixture.sh"
listener=""
trap '[ -z "$listener" ] || { kill "$listener" 2>/dev/null; wait "$listener" 2>/dev/null; }; rm -rf "$work"' EXIT
failures=0
pass() { echo "ok   $1"; }
fail() { echo "FAIL $1"; failures=$((failures + 1)); }
product_value() {
  "$run" reg query 'HKCU\Software\VELKOR Brenn' /v "$1" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$1 *REG_SZ *//p"
}
set_value() {
  "$run" reg add 'HKCU\Software\VELKOR Brenn' /v "$1" /t REG_SZ /d "$2" /f >/dev/null
}

port="$(velkor_free_port 127.0.0.1 127.0.0.2)"
python3 "$here/count_listener.py" "$work/connections.log" "127.0.0.2:$port" "127.0.0.1:$port" &
listener=$!
for _ in $(seq 100); do [ -f "$work/connections.log" ] && break; sleep 0.05; done
velkor_service_use "http://127.0.0.2:$port/"
"$run" reg add 'HKLM\Software\VELKOR Brenn' /v FallbackHost /t REG_SZ /d 127.0.0.1 /f >/dev/null
# Counts of an earlier scan, which a failed exchange must not overwrite.
set_value OutofDate 3
set_value UpToDate 54
set_value TotalDrivers 57
set_value LastScan "January 01, 2008 10:00:00 AM "

status=0
"$run" "$ctl" scan >"$work/out.txt" 2>"$work/err.txt" || status=$?
message="Please check your internet connection and re-scan to get updated results."
said="$(cat "$work/out.txt" "$work/err.txt" | tr -d '\r' | grep -cxF "$message" || true)"
if [ "$status" -eq 3 ] && [ "$said" -eq 1 ]; then
  pass "exit 3 and the connection message once"
else
  fail "exit $status, connection message $said times"; cat "$work/out.txt" "$work/err.txt"
fi

primary="$(grep -cx "127.0.0.2:$port" "$work/connections.log" || true)"
fallback="$(grep -cx "127.0.0.1:$port" "$work/connections.log" || true)"
if [ "$primary" -eq 2 ] && [ "$fallback" -eq 2 ]; then
  pass "two calls to the configured address and two to the fallback host"
else
  fail "connections: $primary to the configured address, $fallback to the fallback host (2 and 2 expected)"
  cat "$work/connections.log"
fi

stored="$(product_value OutofDate) $(product_value UpToDate) $(product_value TotalDrivers)"
last_scan="$(product_value LastScan)"
if [ "$stored" = "3 54 57" ] && [ -n "$last_scan" ] && [ "$last_scan" != "January 01, 2008 10:00:00 AM " ]; then
  pass "earlier counts kept, LastScan renewed ('$last_scan')"
else
  fail "stored counts '$stored', LastScan '$last_scan'"
fi

[ "$failures" -eq 0 ]
