#!/usr/bin/env bash
# The demo machine office-pc-2007 against velkor-service with the sample
# catalog: `velkorctl download --all` scans, looks up and downloads every
# offered package through Network.dll and the HTTP downloader. Each offered
# device ends "downloaded" with a file whose MD5 is the catalog package's; the
# devices sharing a package share one file; Download.dat, read back by the
# program's own list reader (`velkorctl settings --json`), names each of them.
# A second run transfers nothing and gives the same result.
set -euo pipefail
run="$VELKOR_WINE_RUN"
build="$VELKOR_BUILD_DIR"
ctl="$build/src/app/velkorctl/velkorctl.exe"
machine="$build/tests/fixtures/machines/office-pc-2007.json"
expected="$VELKOR_SOURCE_DIR/tools/sample_catalog/expected_offers.txt"
here="$VELKOR_SOURCE_DIR/tests/integration/download"
work="$(mktemp -d)"
VELKOR_SERVICE_WORK="$work/service"
source "$VELKOR_SOURCE_DIR/tests/integration/scan/service_fixture.sh"
trap 'velkor_service_stop; rm -rf "$work"' EXIT
failures=0
pass() { echo "ok   $1"; }
fail() { echo "FAIL $1"; failures=$((failures + 1)); }

velkor_service_start
"$run" "$build/tools/testmachine/testmachine.exe" "$machine" >"$work/testmachine.log" 2>&1 || {
  cat "$work/testmachine.log"; exit 1; }
velkor_service_use

check_run() {  # NAME: the report of one run against the catalog and Download.dat
  "$run" "$ctl" settings --json >"$work/$1.settings.json"
  python3 "$here/check_downloads.py" "$work/$1.json" "$work/$1.settings.json" "$expected" \
    "$VELKOR_SAMPLE_CATALOG/packages" "$VELKOR_WINEPREFIX"
}

# 1. Everything offered is downloaded and verified.
status=0
"$run" "$ctl" download --all --json >"$work/first.json" 2>"$work/first.err" || status=$?
if [ "$status" -eq 0 ] && check_run first; then
  pass "velkorctl download --all: every offered package downloaded and verified"
else
  fail "velkorctl download --all (exit $status)"; cat "$work/first.json" "$work/first.err"
fi
# The log as the page writes it: dated lines, one start per package fetched.
date_re='^[A-Z][a-z]+ [0-9]{2}, [0-9]{4}   [0-9]{2}:[0-9]{2} [AP]M   '
if grep -Eq "${date_re}Please wait downloading will start in a moment\.\.\.$" "$work/first.err" &&
   grep -Eq "${date_re}Download completed successfully for driver - NVIDIA GeForce 7300 GS$" "$work/first.err"; then
  pass "dated log lines on standard error"
else
  fail "log lines"; cat "$work/first.err"
fi
offers="$(grep -v '^#' "$expected" | grep -c .)"
started="$(grep -c 'Starting to download - ' "$work/first.err" || true)"
if [ "$started" -eq "$offers" ]; then
  pass "each of the $offers devices was started"
else
  fail "$started devices started, expected $offers"
fi

# 2. Again: the packages are here and verified; nothing is fetched.
find "$VELKOR_WINEPREFIX/drive_c" -ipath '*/Download/*' -type f -printf '%p %T@\n' 2>/dev/null | sort >"$work/before.txt"
status=0
"$run" "$ctl" download --json >"$work/second.json" 2>"$work/second.err" || status=$?
find "$VELKOR_WINEPREFIX/drive_c" -ipath '*/Download/*' -type f -printf '%p %T@\n' 2>/dev/null | sort >"$work/after.txt"
if [ "$status" -eq 0 ] && check_run second && cmp -s "$work/first.json" "$work/second.json"; then
  pass "a second run gives the same result"
else
  fail "second run (exit $status)"; cat "$work/second.json" "$work/second.err"
fi
if ! grep -q 'Starting to download - ' "$work/second.err" && cmp -s "$work/before.txt" "$work/after.txt"; then
  pass "a second run transfers nothing"
else
  fail "the second run fetched again"; cat "$work/second.err"; diff "$work/before.txt" "$work/after.txt" || true
fi

# 3. One device by number, text report.
nvidia="$(python3 -c 'import json,sys; print(next(d["device"] for d in json.load(open(sys.argv[1])) if d["name"].startswith("NVIDIA")))' "$work/first.json")"
status=0
"$run" "$ctl" download --device "$nvidia" >"$work/one.txt" 2>"$work/one.err" || status=$?
if [ "$status" -eq 0 ] && grep -Eq "^$nvidia	NVIDIA GeForce 7300 GS	downloaded	C:\\\\.*\\.zip\r?$" "$work/one.txt" &&
   grep -q '^Download Completed Successfully\.' "$work/one.err"; then
  pass "velkorctl download --device $nvidia"
else
  fail "--device $nvidia (exit $status)"; cat "$work/one.txt" "$work/one.err"
fi
status=0
"$run" "$ctl" download --device 4000 >/dev/null 2>"$work/usage.err" || status=$?
[ "$status" -eq 2 ] && pass "a device without an update is a usage error" || fail "--device 4000 exit $status"

[ "$failures" -eq 0 ]
