#!/usr/bin/env bash
# The demo machine office-pc-2007 against velkor-service with the sample
# catalog: the request of this machine, answered by the service and matched by
# the program, offers exactly the updates of expected_offers.txt.
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
trap 'velkor_service_stop; [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT

velkor_service_start
"$run" "$build/tools/testmachine/testmachine.exe" "$machine" >"$work/testmachine.log" 2>&1 || {
  cat "$work/testmachine.log"; exit 1; }

# The request as the program builds it, answered by the service, matched by the program.
"$run" "$ctl" inventory --json >"$work/inventory.json"
"$run" "$ctl" request --inventory "$work/inventory.json" >"$work/request.xml"
# The scanner is an imaging device: the inventory leaves it out, so its newer
# package can never be asked for.
if grep -qi 'usb\\vid_04a9&amp;pid_2220' "$work/request.xml"; then
  echo "FAIL the request lists the scanner"; exit 1
fi
python3 - "$VELKOR_SERVICE_URL" "$work/request.xml" "$work/answer.xml" <<'PY'
import sys, urllib.request
url, request, answer = sys.argv[1:]
body = open(request, "rb").read()
call = urllib.request.Request(url + "v1/scan", data=body, headers={"Content-Type": "text/xml; charset=utf-8"})
with urllib.request.urlopen(call, timeout=30) as reply:
    open(answer, "wb").write(reply.read())
PY
"$run" "$ctl" match --answer "$work/answer.xml" --inventory "$work/inventory.json" >"$work/match.txt"
python3 "$here/check_offers.py" "$work/match.txt" "$expected" "$VELKOR_SERVICE_URL" \
  "$VELKOR_SAMPLE_CATALOG/packages" || { cat "$work/match.txt"; exit 1; }
echo "ok   request, answer and match offer the expected updates"
