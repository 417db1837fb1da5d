#!/usr/bin/env bash
# Network.dll against the real service through a proxy that alters its answers.
# Answers signed by the service (and, as a check of the proxy and of the
# documented format, answers the proxy signs again with the service's own key)
# are taken; a changed byte, a missing signature, another key (under its own
# identifier or the service's), a key of the other purpose, and a signed answer
# to another request (another inventory or OS code, or the same request told
# from another Windows) are refused, and `velkorctl scan` then ends as with an
# unreachable service: exit 3 and the connection message once.
set -euo pipefail
run="$VELKOR_WINE_RUN"
build="$VELKOR_BUILD_DIR"
scan_dir="$VELKOR_SOURCE_DIR/tests/integration/scan"
ctl="$build/src/app/velkorctl/velkorctl.exe"
call="$build/tests/integration/network/network_call.exe"
keys="$build/keys"
expected="$VELKOR_SOURCE_DIR/tools/sample_catalog/expected_offers.txt"
source "$VELKOR_SOURCE_DIR/tests/integration/network/network_fixture.sh"
message="Please check your internet connection and re-scan to get updated results."

velkor_service_start
"$run" "$build/tools/testmachine/testmachine.exe" "$build/tests/fixtures/machines/office-pc-2007.json" \
  >"$work/testmachine.log" 2>&1 || { cat "$work/testmachine.log"; exit 1; }
# A driver key of this machine's answer, and the service's own answer for it.
"$run" "$ctl" inventory --json >"$work/inventory.json"
"$run" "$ctl" request --inventory "$work/inventory.json" >"$work/request.xml"
velkor_service_post_scan "$work/request.xml" "$work/answer.xml"
driver_key="$(grep -o -m1 '<hardwareid>[0-9a-f]*</hardwareid>' "$work/answer.xml" | sed 's/<[^>]*>//g')"
direct="$(python3 -c 'import sys,urllib.request; print(urllib.request.urlopen(sys.argv[1], timeout=30).read().decode())' \
  "${VELKOR_SERVICE_URL}v1/driver?id=$driver_key&os=4")"
# A key pair the program has never seen.
"$VELKOR_SERVICE_BINARY" keygen --private-key "$work/other.key" --public-key "$work/other.pub" >/dev/null

# MODE [KEY] SCAN DRIVER: what becomes of a scan and of a driver lookup.
cases=(
  "pass - taken taken"
  "resign $keys/scan-answer.key taken refused"
  "resign $keys/driver-answer.key refused taken"
  "flip-byte - refused refused"
  "unsigned - refused refused"
  "resign $work/other.key refused refused"
  "claim-key $work/other.key refused refused"
  "replay - refused refused"
  "retold - refused refused"
)
for entry in "${cases[@]}"; do
  read -r mode key want_scan want_driver <<<"$entry"
  what="$mode${key:+ $(basename "$key")}"
  [ "$key" = "-" ] && what="$mode"
  extra=()
  [ "$key" != "-" ] && extra=(--key "$key")
  proxy_start "$mode" "${extra[@]}" || exit 1
  velkor_service_use "$PROXY_URL"

  status=0
  "$run" "$ctl" scan >"$work/scan.txt" 2>"$work/scan.err" || status=$?
  said="$(cat "$work/scan.txt" "$work/scan.err" | tr -d '\r' | grep -cxF "$message" || true)"
  if [ "$want_scan" = taken ]; then
    if [ "$status" -eq 0 ] && python3 "$scan_dir/check_offers.py" "$work/scan.txt" "$expected" \
         "$VELKOR_SERVICE_URL" "$VELKOR_SAMPLE_CATALOG/packages" >"$work/check.txt" 2>&1; then
      pass "$what: the scan answer is taken"
    else
      fail "$what: scan exit $status"; cat "$work/scan.err" "$work/check.txt"
    fi
  elif [ "$status" -eq 3 ] && [ "$said" -eq 1 ]; then
    pass "$what: the scan answer is refused (exit 3, the connection message once)"
  else
    fail "$what: scan exit $status, connection message $said times"; cat "$work/scan.txt" "$work/scan.err"
  fi

  status=0
  answer="$("$run" "$call" "$build/bin" driver "$driver_key" 4)" || status=$?
  if [ "$want_driver" = taken ]; then
    if [ "$status" -eq 0 ] && [ "$answer" = "$direct" ]; then
      pass "$what: the driver answer is taken"
    else
      fail "$what: driver lookup exit $status, '$answer' (the service said '$direct')"
    fi
  elif [ "$status" -eq 3 ]; then
    pass "$what: the driver answer is refused"
  else
    fail "$what: driver lookup exit $status ('$answer'), expected a refusal (3)"
  fi
  proxy_stop
done

# Every refused call did reach the proxy, which answered: the refusals are the
# program's own, not a failed connection.
if [ "$(grep -c ' 200 ' "$work/proxy.log")" -ge "${#cases[@]}" ]; then
  pass "the proxy answered every call"
else
  fail "the proxy log: $(cat "$work/proxy.log")"
fi
[ "$failures" -eq 0 ]
