#!/usr/bin/env bash
# Downloads through the window: the demo machine office-pc-2007, the update
# service with the sample catalog, and velkor.exe on its result page.
#   1. A row's Download: the download page logs the run with its dates, shows
#      the transfer's progress line and offers Stop, while the test's HTTP
#      server holds the package's second half (screenshot "download_during");
#      once let go, "Download Completed Successfully." and Close (screenshot
#      "download_after"); the row turns to Install.
#   2. Download All fetches the other rows and hands over to the install
#      confirmation (screenshot "install_confirmation"); every row reads
#      Install, Download.dat lists every package; "Don't Install" gives the
#      navigation back.
# The service hands out download addresses on the test server
# (tools/http_test_server), which serves the sample packages and holds the
# first one: the state of step 1 lasts until the test lets it go. The display
# adapter's package (the first row) carries 1 MiB more, so that its first half
# fills the page's read buffer several times over.
# Screenshots go to build/win64/screenshots/download_gui/.
set -euo pipefail
[ -n "${VELKOR_OWN_DISPLAY:-}" ] || exec "$VELKOR_SOURCE_DIR/tests/integration/own_display.sh" bash "$0" "$@"

run() { "$VELKOR_WINE_RUN" "$@"; }
probe() { run "$VELKOR_BUILD_DIR/tests/integration/core/window_probe.exe" "$@" | tr -d '\r'; }
check() { local what="$1" got="$2" want="$3"; [ "$got" == "$want" ] || fail "$what: got '$got', want '$want'"; echo "ok: $what"; }
shots="$VELKOR_BUILD_DIR/screenshots/download_gui"
mkdir -p "$shots"
snap() { import -window root "$shots/$1.png"; echo "screenshot: $shots/$1.png"; }
# Waits up to SECONDS for COMMAND to succeed.
wait_for() { local seconds="$1"; shift; for _ in $(seq 1 $((seconds * 4))); do "$@" && return 0; sleep 0.25; done; return 1; }
# Conditions for wait_for (evaluated on every try).
on_page() { [ "$(probe page Velkor)" == "$1" ]; }
popup_shows() { [ "$(probe popup-visible Velkor "$1")" == "1" ]; }
no_popup() { ! probe popup Velkor >/dev/null 2>&1; }
navigation_on() { [ "$(probe enabled Velkor 1002)" == "1" ]; }

build="$VELKOR_BUILD_DIR"
work="$(mktemp -d)"
pid=""
gate=""
VELKOR_SERVICE_WORK="$work/service"
cp -r "${VELKOR_SAMPLE_CATALOG:-$build/sample_catalog}" "$work/catalog"
head -c 1048576 /dev/urandom >"$work/padding.bin"
(cd "$work" && zip -q -0 -j "$work/catalog/packages/nvidia/geforce_7300_6.14.11.7412.zip" padding.bin)
VELKOR_SAMPLE_CATALOG="$work/catalog"
source "$VELKOR_SOURCE_DIR/tests/integration/scan/service_fixture.sh"
finish() {
  [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
  [ -z "$gate" ] || { kill "$gate" 2>/dev/null || true; wait "$gate" 2>/dev/null || true; }
  velkor_service_stop
  [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"
}
trap finish EXIT
fail() { import -window root "$shots/failure.png" 2>/dev/null || true; echo "FAIL: $*" >&2; exit 1; }

# The test server: the catalog's packages below /held/v1/packages/, the first
# request held at half its body until /release.
mkdir -p "$work/gate/v1"
ln -s "$work/catalog/packages" "$work/gate/v1/packages"
"$VELKOR_HTTP_TEST_SERVER" --root "$work/gate" --port-file "$work/gate.port" --log "$work/gate.log" \
  </dev/null >"$work/gate.out" 2>&1 &
gate=$!
wait_for 10 test -s "$work/gate.port" || { cat "$work/gate.out"; fail "the test server did not start"; }
gate_url="http://127.0.0.1:$(cat "$work/gate.port")/"
VELKOR_SERVICE_PUBLIC_URL="${gate_url}held/"
velkor_service_start
run "$build/tools/testmachine/testmachine.exe" "$build/tests/fixtures/machines/office-pc-2007.json" \
  >"$work/testmachine.log" 2>&1 || { cat "$work/testmachine.log"; fail "the demo machine was not built"; }
velkor_service_use

app="$VELKOR_WINEPREFIX/drive_c/velkor-download"
mkdir -p "$app"
cp "$build/src/app/velkor/velkor.exe" "$build/bin/Network.dll" "$build/bin/update.dll" "$app/"
run 'C:\velkor-download\velkor.exe' &
pid=$!
probe wait Velkor 30000 >/dev/null || fail "no main window"
wait_for 120 on_page 159 || fail "the scan did not end on the result page"
probe list-rows Velkor 1020 >"$work/rows.txt"
first="$(awk -F'\t' '$1 == "0" {print NR - 1; exit}' "$work/rows.txt")"
name="$(awk -F'\t' '$1 == "0" {print $2; exit}' "$work/rows.txt")"
[ -n "$first" ] || fail "no row to download: $(cat "$work/rows.txt")"
offers="$(grep -v '^#' "$VELKOR_SOURCE_DIR/tools/sample_catalog/expected_offers.txt" | grep -c .)"

# 1. One row. Its Status cell is the Download link.
probe list-click Velkor 1020 "$first" 1 >/dev/null
log_has() { probe popup-list-rows Velkor 1033 2>/dev/null | grep "$1" >/dev/null; }
wait_for 60 log_has $'\t[0-9.]* [KM]B  of [0-9.]* MB$' || fail "no progress line: $(probe popup-list-rows Velkor 1033)"
probe popup-list-rows Velkor 1033 >"$work/log1.txt"
date_re='^[A-Z][a-z]+ [0-9]{2}, [0-9]{4}   [0-9]{2}:[0-9]{2} [AP]M$'
python3 - "$work/log1.txt" "$name" "$date_re" <<'PY' || fail "the log while the package arrives: $(cat "$work/log1.txt")"
import re, sys
rows = [l.rstrip("\n").split("\t") for l in open(sys.argv[1], encoding="utf-8")]
lines = [(d, t) for _, d, t in rows if t]
texts = [t for _, t in lines]
assert texts[0] == "Please wait downloading will start in a moment...", texts
assert texts[1] == "Starting to download - " + sys.argv[2][:55], texts
assert re.match(r"^0\.[0-9]{2} MB  of 1\.00 MB$", texts[2]), texts
assert all(re.match(sys.argv[3], d) for d, _ in lines), lines
print(f"ok: log {texts}")
PY
check "Stop offered during the transfer" "$(probe popup-visible Velkor 1013) $(probe popup-enabled Velkor 1013)" "1 1"
check "Close hidden during the transfer" "$(probe popup-visible Velkor 1046)" "0"
check "navigation off during the transfer" "$(probe enabled Velkor 1002)" "0"
sleep 0.5
snap download_during
python3 -c 'import sys, urllib.request; urllib.request.urlopen(sys.argv[1] + "release", timeout=10).read()' "$gate_url"
probe wait-message Velkor "Download Completed Successfully." 60000 >/dev/null || fail "no completion message"
sleep 0.5
snap download_after_message
probe find-message Velkor "Download Completed Successfully." 5000 >/dev/null || fail "could not answer the message"
wait_for 20 popup_shows 1046 || fail "no Close after the run"
check "Stop hidden after the run" "$(probe popup-visible Velkor 1013)" "0"
probe popup-list-rows Velkor 1033 >"$work/log2.txt"
grep -q $'\tDownload completed successfully for driver - ' "$work/log2.txt" || fail "no completion line: $(cat "$work/log2.txt")"
sleep 0.5
snap download_after
probe popup-click Velkor 1046 >/dev/null
wait_for 20 no_popup ||
  fail "the download page did not close"
check "the row reads Install" "$(probe list-rows Velkor 1020 | sed -n "$((first + 1))p" | cut -f1,3)" $'1\tInstall'
check "navigation back after the run" "$(probe enabled Velkor 1002)" "1"

# 2. Download All: the other rows, then the install confirmation.
probe page-click Velkor 1021 >/dev/null
wait_for 120 popup_shows 1014 || fail "no install confirmation"
sleep 0.5
snap install_confirmation
probe list-rows Velkor 1020 >"$work/rows2.txt"
devices="$(awk -F'\t' '$1 != "-1"' "$work/rows2.txt" | wc -l)"
installs="$(awk -F'\t' '$1 == "1" && $3 == "Install"' "$work/rows2.txt" | wc -l)"
check "every row reads Install" "$installs of $devices" "$offers of $offers"
check "navigation off while the confirmation is open" "$(probe enabled Velkor 1002)" "0"
run "$build/src/app/velkorctl/velkorctl.exe" settings --json >"$work/settings.json"
check "Download.dat lists every package" \
  "$(python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))["downloadList"]))' "$work/settings.json")" "$offers"
probe popup-click Velkor 1014 >/dev/null
wait_for 20 navigation_on || fail "Don't Install did not end the busy state"
echo "ok: Don't Install gives the navigation back"

probe command Velkor 32780 >/dev/null
rc=0
wait "$pid" || rc=$?
pid=""
check "exit code" "$rc" 0
echo "PASS"
