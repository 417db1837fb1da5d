#!/usr/bin/env bash
# A whole scan through the window: the demo machine office-pc-2007, the update
# service serving the sample catalog, and velkor.exe starting with "AutoScan"
# on. The scan page shows with Stop offered while the devices are listed; the
# result page then lists the expected updates grouped by category in the update
# list's order, with the scan's summary, and the registry holds the scan's time
# and counts. A second scan stopped while the devices are listed changes none
# of that.
#
# The program runs as a user without administrator rights, so each run stops
# at the administrator message of the Windows XP machine (its worker waits for
# OK, on the scan page, before the listing): the states this test checks are
# held there until the test answers, never caught on the fly.
# Screenshots go to build/screenshots/scan_gui/.
set -euo pipefail

# Everything runs on the virtual display: Wine's desktop belongs to the first
# program that needs one, and the window must find it on this display.
[ -n "${VELKOR_OWN_DISPLAY:-}" ] || exec "$VELKOR_SOURCE_DIR/tests/integration/own_display.sh" bash "$0" "$@"

run() { "$VELKOR_WINE_RUN" "$@"; }
probe() { run "$VELKOR_BUILD_DIR/tests/integration/core/window_probe.exe" "$@" | tr -d '\r'; }
check() { local what="$1" got="$2" want="$3"; [ "$got" == "$want" ] || fail "$what: got '$got', want '$want'"; echo "ok: $what"; }
stored() { run reg query 'HKCU\software\VELKOR Brenn' /v "$1" | tr -d '\r' | awk -v v="$1" '$1 == v {print $3, $4, $5, $6, $7, $8}' | sed 's/ *$//'; }
shots="$VELKOR_BUILD_DIR/screenshots/scan_gui"
mkdir -p "$shots"
snap() { import -window root "$shots/$1.png"; echo "screenshot: $shots/$1.png"; }

build="$VELKOR_BUILD_DIR"
work="$(mktemp -d)"
VELKOR_SERVICE_WORK="$work/service"
pid=""
source "$VELKOR_SOURCE_DIR/tests/integration/scan/service_fixture.sh"
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; velkor_service_stop; [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
# What the screen showed when a check failed.
fail() { import -window root "$shots/failure.png" 2>/dev/null || true; echo "FAIL: $*" >&2; exit 1; }

velkor_service_start
run "$build/tools/testmachine/testmachine.exe" "$build/tests/fixtures/machines/office-pc-2007.json" \
  >"$work/testmachine.log" 2>&1 || { cat "$work/testmachine.log"; fail "the demo machine was not built"; }
velkor_service_use

app="$VELKOR_WINEPREFIX/drive_c/velkor-scan"
mkdir -p "$app"
cp "$build/src/app/velkor/velkor.exe" "$build/bin/Network.dll" "$build/bin/update.dll" "$app/"

admin_message="It is recommended to restart Velkor in administrator login. It will not provide complete functionality in standard user account."

# A new account has "AutoScan" on: the program opens on the scan page and scans.
run "$build/tests/integration/core/window_probe.exe" start-limited 'C:\velkor-scan\velkor.exe' &
pid=$!
probe wait Velkor 30000 >/dev/null || fail "no main window"
probe wait-message Velkor "$admin_message" 30000 >/dev/null || fail "no administrator message"
check "first page" "$(probe page Velkor)" "158"
check "Stop offered while the devices are listed" "$(probe page-enabled Velkor 1011)" "1"
snap scan_page
probe find-message Velkor "$admin_message" 5000 >/dev/null || fail "could not answer the administrator message"

for _ in $(seq 1 240); do [ "$(probe page Velkor)" == "159" ] && break; sleep 0.5; done
check "the scan ends on the result page" "$(probe page Velkor)" "159"
sleep 1
snap result_page

# The stored record of the scan.
expected="$VELKOR_SOURCE_DIR/tools/sample_catalog/expected_offers.txt"
offers="$(grep -v '^#' "$expected" | grep -c .)"
total="$(stored TotalDrivers)"
[ -n "$total" ] && [ "$total" -gt "$offers" ] || fail "TotalDrivers '$total'"
check "OutofDate" "$(stored OutofDate)" "$offers"
check "UpToDate" "$(stored UpToDate)" "$((total - offers))"
last="$(stored LastScan)"
[[ "$last" =~ ^[A-Z][a-z]+\ [0-9]{2},\ [0-9]{4}\ [0-9]{2}:[0-9]{2}:[0-9]{2}\ [AP]M$ ]] || fail "LastScan '$last'"
echo "ok: LastScan '$last'"

# The summary labels.
[[ "$(probe page-text Velkor 1023)" =~ ^[0-9]{2}:[0-9]{2}:[0-9]{2}\ [AP]M\ $ ]] || \
  fail "start time '$(probe page-text Velkor 1023)'"
[[ "$(probe page-text Velkor 1024)" =~ ^[0-9]{2}:[0-9]{2}:[0-9]{2}$ ]] || fail "elapsed '$(probe page-text Velkor 1024)'"
check "devices scanned" "$(probe page-text Velkor 1036)" "$total"
check "out-of-date label" "$(probe page-text Velkor 1037)" "$offers"
check "up-to-date label" "$(probe page-text Velkor 1038)" "$((total - offers))"
check "Download All enabled" "$(probe page-enabled Velkor 1021)" "1"
check "ReScan shown" "$(probe visible Velkor 1014)" "1"
check "Last Scan hidden" "$(probe visible Velkor 1013)" "0"

# The rows: the expected devices, each under its category, categories once,
# in the update list's order (category, then name, letter case aside).
probe list-rows Velkor 1020 >"$work/rows.txt"
python3 - "$work/rows.txt" "$expected" <<'PY'
import sys
rows = [line.rstrip("\n").split("\t") for line in open(sys.argv[1], encoding="utf-8") if line.strip()]
names = [l.split("|")[0] for l in open(sys.argv[2], encoding="utf-8") if l.strip() and not l.startswith("#")]
shown = lambda n: n if len(n) <= 58 else n[:55] + "..."
fold = lambda t: "".join(c.lower() if "A" <= c <= "Z" else c for c in t)
category, seen, listed, keys = None, set(), [], []
for kind, text, status in rows:
    if kind == "-1":
        assert status == "", f"category row with a status: {text}"
        assert fold(text) not in seen, f"category shown twice: {text}"
        seen.add(fold(text))
        category = text
        continue
    assert category is not None, f"device before any category: {text}"
    assert (kind, status) in (("0", "Download"), ("1", "Install")), f"row {text}: {kind} {status}"
    listed.append(text)
    keys.append(fold(category + "|" + text))
assert sorted(listed) == sorted(shown(n) for n in names), f"devices {listed}\nexpected {[shown(n) for n in names]}"
assert keys == sorted(keys), f"not in the update list's order: {keys}"
print(f"ok: {len(listed)} devices under {len(seen)} categories, in order")
PY

# The details icon of the first device row opens its pop-up with the device's name.
first="$(awk -F'\t' '$1 != "-1" {print NR - 1; exit}' "$work/rows.txt")"
name="$(awk -F'\t' '$1 != "-1" {print $2; exit}' "$work/rows.txt")"
probe list-click Velkor 1020 "$first" 2 >/dev/null
for _ in $(seq 1 20); do probe popup Velkor >/dev/null && break; sleep 0.25; done
probe popup Velkor >/dev/null || fail "no driver details pop-up"
details="$(probe popup-text Velkor 1050)"
[ -n "$details" ] && [[ "$name" == "${details:0:55}"* || "$details" == "$name" ]] || \
  fail "details pop-up shows '$details' for row '$name'"
echo "ok: details pop-up for '$details'"
sleep 0.5
snap driver_details
probe close-popup Velkor >/dev/null
for _ in $(seq 1 20); do probe popup Velkor >/dev/null || break; sleep 0.25; done

# ReScan, and Stop while the devices are listed: no request is sent, the run
# ends on the home page, and the stored record of the last scan stays. The
# Stop is pressed while the run waits at the administrator message; the
# listing that follows ends at its first device.
probe click Velkor 1014 >/dev/null
probe wait-message Velkor "$admin_message" 30000 >/dev/null || fail "no administrator message on ReScan"
check "ReScan shows the scan page" "$(probe page Velkor)" "158"
probe page-click Velkor 1011 >/dev/null
check "Stop disabled once pressed" "$(probe page-enabled Velkor 1011)" "0"
probe find-message Velkor "$admin_message" 5000 >/dev/null || fail "could not answer the administrator message"
for _ in $(seq 1 240); do [ "$(probe page Velkor)" == "136" ] && break; sleep 0.5; done
check "a stopped scan ends on the home page" "$(probe page Velkor)" "136"
check "OutofDate kept" "$(stored OutofDate)" "$offers"
check "TotalDrivers kept" "$(stored TotalDrivers)" "$total"
check "LastScan kept" "$(stored LastScan)" "$last"
check "Last Scan shown again" "$(probe visible Velkor 1013)" "1"
check "home page count" "$(probe page-text Velkor 1047)" "$offers"
snap home_after_stop

probe command Velkor 32780 >/dev/null
rc=0
wait "$pid" || rc=$?
pid=""
check "exit code" "$rc" 0
echo "PASS"
