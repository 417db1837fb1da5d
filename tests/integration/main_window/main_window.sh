#!/usr/bin/env bash
# velkor.exe's main window in a fresh prefix: size and rounded region, the first
# page, the home page's first-start texts and its texts after the first scan, navigation, keys that must not close
# it, the settings page's Apply and Default rules, the overlay with a pop-up,
# Exit refused while the overlay is up, Close to the tray, Restore and Exit.
# Screenshots of every page shown go to build/screenshots/main_window/.
set -euo pipefail

[ -n "${VELKOR_OWN_DISPLAY:-}" ] || exec "$VELKOR_SOURCE_DIR/tests/integration/own_display.sh" bash "$0" "$@"

run() { "$VELKOR_WINE_RUN" "$@"; }
probe() { run "$VELKOR_BUILD_DIR/tests/integration/core/window_probe.exe" "$@" | tr -d '\r'; }
fail() { echo "FAIL: $*" >&2; exit 1; }
check() { local what="$1" got="$2" want="$3"; [ "$got" == "$want" ] || fail "$what: got '$got', want '$want'"; echo "ok: $what"; }
shots="$VELKOR_BUILD_DIR/screenshots/main_window"
mkdir -p "$shots"
snap() { sleep 1; import -window root "$shots/$1.png"; echo "screenshot: $shots/$1.png"; }
# Waits until the visible page is $1.
page_is() {
  for _ in $(seq 1 40); do [ "$(probe page Velkor)" == "$1" ] && return 0; sleep 0.25; done
  return 1
}
autoscan() { run reg query 'HKCU\software\VELKOR Brenn\Settings' /v AutoScan | tr -d '\r' | awk '/AutoScan/ {print $3}'; }

app="$VELKOR_WINEPREFIX/drive_c/velkor-test"
mkdir -p "$app"
cp "$VELKOR_BUILD_DIR/src/app/velkor/velkor.exe" "$VELKOR_BUILD_DIR/bin/update.dll" "$app/"
cp "$VELKOR_BUILD_DIR/tests/unit/core/fake_network/Network.dll" "$app/"

# A first start on the restore page (start mode 3: no scan) shows the home
# page as it is before any scan.
run "$app/velkor.exe" 3 &
pid=$!
probe wait Velkor 30000 >/dev/null || fail "no main window"
page_is 169 || fail "start mode 3 did not open the restore page"
probe click Velkor 1002 >/dev/null
page_is 136 || fail "Home did not show the home page"
check "scan status line" "$(probe page-text Velkor 1073)" "No Scan Performed Yet! "
check "out-of-date count" "$(probe page-text Velkor 1047)" "0"
check "up-to-date count" "$(probe page-text Velkor 1048)" "0"
snap home_page_first_start
probe command Velkor 32780 >/dev/null
wait "$pid" || fail "the first start did not end cleanly"
probe gone Velkor 10000 >/dev/null || fail "window still there after Exit"

# As a user without administrator rights: the scan waits on its scan page for
# the answer to the administrator question, which holds the page for its checks.
admin_question="It is recommended to restart Velkor in administrator mode so that it can scan your system to get out of date drivers. "
run "$VELKOR_BUILD_DIR/tests/integration/core/window_probe.exe" start-limited 'C:\velkor-test\velkor.exe' &
pid=$!
probe wait Velkor 30000 >/dev/null || fail "no main window"

# The window: 771 by 581 at the top-left corner, rounded corners.
check "geometry" "$(probe geometry Velkor)" "0 0 771 581 region=1 corners=0 middle=1"
# "AutoScan" is on for a new account: the scan page comes first.
page_is 158 || fail "first page is $(probe page Velkor), not the scan page"
echo "ok: first page is the scan page"
check "Last Scan hidden before any result" "$(probe visible Velkor 1013)" "0"
check "ReScan hidden before any result" "$(probe visible Velkor 1014)" "0"
probe wait-message Velkor "$admin_question" 30000 >/dev/null || fail "no administrator question"
snap scan_page
probe answer-message Velkor "$admin_question" no 5000 >/dev/null || fail "could not answer the administrator question"

# The scan ends (this component offers no update) on the home page, which
# shows when it ran and what it counted.
for _ in $(seq 1 120); do [ "$(probe page Velkor)" == "136" ] && break; sleep 0.25; done
page_is 136 || fail "the scan did not end on the home page"
status="$(probe page-text Velkor 1073)"
[[ "$status" == "Last Scan: "* ]] || fail "scan status line after the scan: '$status'"
echo "ok: scan status line '$status'"
stored() { run reg query 'HKCU\software\VELKOR Brenn' /v "$1" | tr -d '\r' | awk -v v="$1" '$1 == v {print $3}'; }
check "out-of-date count" "$(probe page-text Velkor 1047)" "$(stored OutofDate)"
check "up-to-date count" "$(probe page-text Velkor 1048)" "$(stored UpToDate)"
[ -n "$(probe page-text Velkor 1071)" ] || fail "no computer name"
echo "ok: computer name '$(probe page-text Velkor 1071)'"
snap home_page

# Escape and Alt+F4 do nothing.
probe key Velkor escape >/dev/null
probe key Velkor altf4 >/dev/null
sleep 0.5
check "after Escape and Alt+F4" "$(probe state Velkor | cut -d' ' -f1,2)" "visible=1 iconic=0"
check "page after the keys" "$(probe page Velkor)" "136"
kill -0 "$pid" || fail "the program ended"

# Settings: a new account shows the defaults, Apply and Default disabled.
probe click Velkor 1005 >/dev/null
page_is 170 || fail "Settings did not show the settings page"
check "scan at start checked" "$(probe page-checked Velkor 1025)" "1"
check "Apply disabled" "$(probe page-enabled Velkor 1035)" "0"
check "Default disabled" "$(probe page-enabled Velkor 1006)" "0"
[ -n "$(probe page-text Velkor 1030)" ] || fail "empty download folder field"
snap settings_page
probe page-click Velkor 1025 >/dev/null
check "unchecked" "$(probe page-checked Velkor 1025)" "0"
check "Apply enabled after unchecking" "$(probe page-enabled Velkor 1035)" "1"
check "Default enabled after unchecking" "$(probe page-enabled Velkor 1006)" "1"
probe page-click Velkor 1035 >/dev/null
check "Apply disabled after Apply" "$(probe page-enabled Velkor 1035)" "0"
check "Default still enabled" "$(probe page-enabled Velkor 1006)" "1"
check "AutoScan stored as 0" "$(autoscan)" "0x0"
probe page-click Velkor 1006 >/dev/null
check "checked again after Default" "$(probe page-checked Velkor 1025)" "1"
check "Apply disabled after Default" "$(probe page-enabled Velkor 1035)" "0"
check "Default disabled after Default" "$(probe page-enabled Velkor 1006)" "0"
check "AutoScan stored as 1" "$(autoscan)" "0x1"

# The other pages.
probe click Velkor 1003 >/dev/null
page_is 168 || fail "Backup did not show the backup page"
snap backup_page
probe click Velkor 1004 >/dev/null
page_is 169 || fail "Restore did not show the restore page"
snap restore_page
probe click Velkor 1002 >/dev/null
page_is 136 || fail "back to the home page"
echo "ok: navigation to every page and back"

# The overlay with a pop-up (Help menu's Report Feedback).
probe command Velkor 32776 >/dev/null
for _ in $(seq 1 20); do probe popup Velkor >/dev/null && break; sleep 0.25; done
probe popup Velkor >/dev/null || fail "no pop-up over the overlay"
echo "ok: pop-up shown"
snap overlay_feedback_popup
# Exit while the overlay is up: refused with a message.
probe command Velkor 32780 >/dev/null
probe find-message Velkor "Please wait while current process completes..." 10000 >/dev/null \
  || fail "no 'Please wait' message"
echo "ok: Exit refused while a pop-up is open"
sleep 0.5
kill -0 "$pid" || fail "the program ended on Exit with a pop-up open"
probe close-popup Velkor >/dev/null
for _ in $(seq 1 20); do probe popup Velkor >/dev/null || break; sleep 0.25; done
probe popup Velkor >/dev/null && fail "pop-up still shown after its close box"
echo "ok: pop-up closed by its close box"

# Close hides the window to the tray; the program keeps running.
probe click Velkor 1045 >/dev/null
for _ in $(seq 1 20); do [ "$(probe state Velkor | cut -d' ' -f1)" == "visible=0" ] && break; sleep 0.25; done
check "hidden by Close" "$(probe state Velkor | cut -d' ' -f1)" "visible=0"
kill -0 "$pid" || fail "the program ended on Close"
echo "ok: still running in the tray"
probe command Velkor 32779 >/dev/null
for _ in $(seq 1 20); do [ "$(probe state Velkor | cut -d' ' -f1)" == "visible=1" ] && break; sleep 0.25; done
check "restored from the tray" "$(probe state Velkor | cut -d' ' -f1)" "visible=1"

# Exit from the tray menu ends it.
probe command Velkor 32780 >/dev/null
rc=0
wait "$pid" || rc=$?
check "exit code" "$rc" 0
probe gone Velkor 10000 >/dev/null || fail "window still there after Exit"
echo "PASS"
