#!/usr/bin/env bash
# The demo machine office-pc-2007 against velkor-service with the sample
# catalog. The program is offered exactly the updates of expected_offers.txt:
#   - by the request, the service's answer and the matching (velkorctl request,
#     POST /v1/scan, velkorctl match);
#   - by `velkorctl scan` through Network.dll, which also stores the scan's time
#     and counts;
#   - by `velkorctl scan` when the configured address refuses and the fallback
#     host answers.
set -euo pipefail
run="$VELKOR_WINE_RUN"
build="$VELKOR_BUILD_DIR"
here="$VELKOR_SOURCE_DIR/tests/integration/scan"
ctl="$build/src/app/velkorctl/velkorctl.exe"
machine="$build/tests/fixtures/machines/office-pc-2007.json"
expected="$VELKOR_SOURCE_DIR/tools/sample_catalog/expected_offers.txt"
work="$(mktemp -d)"
VELKOR_SERVICE_WORK="$work/service"
source "$here/service_fixture.sh"
trap 'velkor_service_stop; rm -rf "$work"' EXIT
failures=0
pass() { echo "ok   $1"; }
fail() { echo "FAIL $1"; failures=$((failures + 1)); }
check_offers() {  # REPORT: the printed updates are the expected ones
  python3 "$here/check_offers.py" "$1" "$expected" "$VELKOR_SERVICE_URL" "$VELKOR_SAMPLE_CATALOG/packages"
}
product_value() {  # NAME: a value under HKCU\Software\VELKOR Brenn, or nothing
  "$run" reg query 'HKCU\Software\VELKOR Brenn' /v "$1" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$1 *REG_SZ *//p"
}

velkor_service_start
# The machine is made in this prefix's wineserver session, where the scans run.
"$run" "$build/tools/testmachine/testmachine.exe" "$machine" >"$work/testmachine.log" 2>&1 || {
  cat "$work/testmachine.log"; exit 1; }

# 1. Request, answer, match.
"$run" "$ctl" inventory --json >"$work/inventory.json"
"$run" "$ctl" request --inventory "$work/inventory.json" >"$work/request.xml"
velkor_service_post_scan "$work/request.xml" "$work/answer.xml"
# The scanner is an imaging device: the inventory leaves it out, so its newer
# package can never be asked for.
if grep -qi 'usb\\vid_04a9&amp;pid_2220' "$work/request.xml"; then
  fail "the request lists the scanner"
fi
"$run" "$ctl" match --answer "$work/answer.xml" --inventory "$work/inventory.json" >"$work/match.txt"
if check_offers "$work/match.txt"; then
  pass "request, answer and match offer the expected updates"
else
  fail "request, answer and match"; cat "$work/match.txt"
fi

# 2. The scan through Network.dll, and what it stores.
velkor_service_use
status=0
"$run" "$ctl" scan >"$work/scan.txt" 2>"$work/scan.err" || status=$?
devices="$(python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))))' "$work/inventory.json")"
offers="$(grep -vc '^#' "$expected")"
if [ "$status" -eq 0 ] && check_offers "$work/scan.txt"; then
  pass "velkorctl scan offers the expected updates"
else
  fail "velkorctl scan (exit $status)"; cat "$work/scan.txt" "$work/scan.err"
fi
stored="$(product_value OutofDate) $(product_value UpToDate) $(product_value TotalDrivers)"
if [ "$stored" = "$offers $((devices - offers)) $devices" ]; then
  pass "stored counts: out of date, up to date, total = $stored"
else
  fail "stored counts '$stored', expected '$offers $((devices - offers)) $devices'"
fi
# "December 10, 2026 09:05:07 AM ": month, day, year and a 12-hour time.
last_scan="$(product_value LastScan)"
if [[ "$last_scan" =~ ^[A-Z][a-z]+\ [0-9]{2},\ [0-9]{4}\ [0-9]{2}:[0-9]{2}:[0-9]{2}\ [AP]M\ $ ]]; then
  pass "LastScan stored: '$last_scan'"
else
  fail "LastScan '$last_scan'"
fi

# 3. The configured address refuses (nothing listens on 127.0.0.2); the
# fallback host, the service's own, answers.
if python3 -c 'import socket,sys; socket.create_connection(("127.0.0.2", int(sys.argv[1])), 5)' \
     "$VELKOR_SERVICE_PORT" 2>/dev/null; then
  fail "127.0.0.2:$VELKOR_SERVICE_PORT accepts connections; the fallback cannot be shown"
fi
velkor_service_use "http://127.0.0.2:$VELKOR_SERVICE_PORT/"
"$run" reg add 'HKLM\Software\VELKOR Brenn' /v FallbackHost /t REG_SZ /d 127.0.0.1 /f >/dev/null
status=0
"$run" "$ctl" scan >"$work/fallback.txt" 2>"$work/fallback.err" || status=$?
if [ "$status" -eq 0 ] && check_offers "$work/fallback.txt"; then
  pass "velkorctl scan through the fallback host offers the expected updates"
else
  fail "velkorctl scan through the fallback host (exit $status)"; cat "$work/fallback.txt" "$work/fallback.err"
fi

[ "$failures" -eq 0 ]
