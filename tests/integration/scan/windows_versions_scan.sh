#!/usr/bin/env bash
# The Windows 10 desktop (win10-desktop) against velkor-service with the sample
# catalog, with Wine reporting Windows XP, Vista, 7 and 10:
#   - Network.dll tells the service the running Windows in its headers (checked
#     on a stand-in service that keeps them);
#   - `velkorctl scan` gets the Windows 10-only offers on Windows 10 and not on
#     Windows 7 or XP (tools/sample_catalog/expected_offers_win10_desktop.txt);
#   - on XP and Vista the answer is the one the service gives the request without
#     the headers (what it answered before it heard of them).
set -euo pipefail
run="$VELKOR_WINE_RUN"
build="$VELKOR_BUILD_DIR"
here="$VELKOR_SOURCE_DIR/tests/integration/scan"
ctl="$build/src/app/velkorctl/velkorctl.exe"
machine="$build/tests/fixtures/machines/win10-desktop.json"
expected="$VELKOR_SOURCE_DIR/tools/sample_catalog/expected_offers_win10_desktop.txt"
work="$(mktemp -d)"
VELKOR_SERVICE_WORK="$work/service"
source "$here/service_fixture.sh"
listener=""
stop_listener() {
  [ -z "$listener" ] || { kill "$listener" 2>/dev/null; wait "$listener" 2>/dev/null || true; }
  listener=""
}
trap 'stop_listener; velkor_service_stop; rm -rf "$work"' EXIT
failures=0
pass() { echo "ok   $1"; }
fail() { echo "FAIL $1"; failures=$((failures + 1)); }
report_windows() {  # VERSION: what Wine tells every process started from now on
  "$run" reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d "$1" /f >/dev/null
}

"$run" "$build/tools/testmachine/testmachine.exe" "$machine" >"$work/testmachine.log" 2>&1 || {
  cat "$work/testmachine.log"; exit 1; }

# 1. The headers, on a stand-in service.
port="$(velkor_free_port 127.0.0.1)"
python3 "$here/header_listener.py" "$work/headers.log" "127.0.0.1:$port" &
listener=$!
for _ in $(seq 200); do [ -f "$work/headers.log" ] && break; sleep 0.05; done
velkor_service_use "http://127.0.0.1:$port/"
# What Wine 8.0 reports for each (as its RtlGetVersion does): Windows 10 is
# build 18362, and its table gives "win7" the server product type (its
# "win2008r2" is the workstation).
declare -A versions=([winxp]='5\.1\.2600' [vista]='6\.0\.6002' [win7]='6\.1\.7601' [win10]='10\.0\.18362')
declare -A products=([winxp]=1 [vista]=1 [win7]=3 [win10]=1)
for windows in winxp vista win7 win10; do
  report_windows "$windows"
  : >"$work/headers.log"
  "$run" "$ctl" scan >/dev/null 2>&1 || true
  if grep -Eq "^Velkor-Windows-Version: ${versions[$windows]}$" "$work/headers.log" &&
     grep -q '^Velkor-Windows-Architecture: amd64$' "$work/headers.log" &&
     grep -q "^Velkor-Windows-Product-Type: ${products[$windows]}$" "$work/headers.log" &&
     grep -Eq '^Velkor-Windows-Suite-Mask: 0x[0-9A-F]{8}$' "$work/headers.log"; then
    pass "$windows: the scan says $(sed -n 's/^Velkor-Windows-Version: //p' "$work/headers.log" | head -1) amd64, product type ${products[$windows]}"
  else
    fail "$windows: headers of the scan"; cat "$work/headers.log"
  fi
done
stop_listener

# 2. The offers of each Windows, through the real service.
velkor_service_start
velkor_service_use
for windows in winxp win7 win10; do
  report_windows "$windows"
  status=0
  "$run" "$ctl" scan >"$work/scan-$windows.txt" 2>"$work/scan-$windows.err" || status=$?
  if [ "$status" -eq 0 ] && python3 "$here/check_offers.py" "$work/scan-$windows.txt" "$expected" \
       "$VELKOR_SERVICE_URL" "$VELKOR_SAMPLE_CATALOG/packages" "$windows"; then
    pass "$windows: velkorctl scan offers what $windows is expected to get"
  else
    fail "$windows: velkorctl scan (exit $status)"; cat "$work/scan-$windows.txt" "$work/scan-$windows.err"
  fi
done

# 3. XP and Vista: the answer with the headers is the answer without them.
for windows in winxp vista; do
  report_windows "$windows"
  "$run" "$ctl" inventory --json >"$work/inventory-$windows.json"
  "$run" "$ctl" request --inventory "$work/inventory-$windows.json" >"$work/request-$windows.xml"
  velkor_service_post_scan "$work/request-$windows.xml" "$work/answer-$windows.xml"
  "$run" "$ctl" match --answer "$work/answer-$windows.xml" --inventory "$work/inventory-$windows.json" \
    >"$work/match-$windows.txt"
  "$run" "$ctl" scan >"$work/rescan-$windows.txt" 2>/dev/null || true
  if cmp -s "$work/match-$windows.txt" "$work/rescan-$windows.txt"; then
    pass "$windows: the scan with the headers is offered what the request alone is"
  else
    fail "$windows: answers differ with and without the headers"
    diff "$work/match-$windows.txt" "$work/rescan-$windows.txt" || true
  fi
done

[ "$failures" -eq 0 ]
