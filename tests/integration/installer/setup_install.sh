#!/usr/bin/env bash
# The setup in a fresh 64-bit prefix: /S installs the x64 build where the
# program looks for it, with its uninstall entry, shortcuts, text file and the
# machine's update service address; the installed programs start from there
# and velkorctl reaches the service at that address. Then the uninstaller's
# /S removes all of it and keeps the user's driver backups.
set -euo pipefail
[ -n "${VELKOR_OWN_DISPLAY:-}" ] || exec "$VELKOR_SOURCE_DIR/tests/integration/own_display.sh" bash "$0" "$@"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/setup_common.sh"
probe() { run "$VELKOR_WINDOW_PROBE" "$@"; }
source "$VELKOR_SOURCE_DIR/tests/integration/scan/service_fixture.sh"

work="$(mktemp -d)"
listener=""
cleanup() { [ -z "$listener" ] || kill "$listener" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

# A service that counts the calls to it: where velkorctl goes is what counts.
port="$(velkor_free_port 127.0.0.1)"
python3 "$VELKOR_SOURCE_DIR/tests/integration/scan/count_listener.py" "$work/calls.log" "127.0.0.1:$port" &
listener=$!
wait_for 10 test -f "$work/calls.log" || fail "the listener did not start"
url="http://127.0.0.1:$port/"

# 1. A switch that is no address is refused before anything is installed.
rc=0; run "$VELKOR_SETUP_FILE" /S "/SERVICEURL=ftp://127.0.0.1/" || rc=$?
check "exit code for a service address that is no address" "$rc" 3
[ ! -e "$program" ] || fail "a refused setup installed files"

# 2. Install.
rc=0; run "$VELKOR_SETUP_FILE" /S "/SERVICEURL=$url" || rc=$?
check "exit code of /S" "$rc" 0
while read -r file; do
  [ -f "$program/$file" ] || fail "not installed: $file"
  case "$file" in
    *.exe|*.dll) cmp -s "$program/$file" "$VELKOR_SETUP_STAGE/x64/$file" || fail "$file is not the x64 build's" ;;
  esac
done < <(setup_layout)
echo "ok: every program file in place, from the x64 build"
[ ! -e "$program/ia64" ] || fail "ia64 has files: there is no Itanium build"
cmp "$program/velkor.ini" "$VELKOR_SOURCE_DIR/tests/fixtures/core/velkor.ini" || fail "velkor.ini is not the program's own"
echo "ok: velkor.ini as the program writes it"
[ -f "$program/uninstall.exe" ] || fail "no uninstaller"
# Nothing else: the setup installs exactly its list.
expected="$( (setup_layout; echo velkor.ini; echo uninstall.exe) | sort)"
check "files in the program folder" "$(cd "$program" && find . -type f | sed 's|^\./||' | sort)" "$expected"

check "service address" "$(reg_value 'HKLM\Software\VELKOR Brenn' ServiceUrl)" "REG_SZ    $url"
check "DisplayName" "$(reg_value "$uninstall_key" DisplayName)" "REG_SZ    Velkor"
check "DisplayVersion" "$(reg_value "$uninstall_key" DisplayVersion)" "REG_SZ    $VELKOR_SETUP_VERSION"
check "Publisher" "$(reg_value "$uninstall_key" Publisher)" "REG_SZ    VELKOR Brenn"
check "DisplayIcon" "$(reg_value "$uninstall_key" DisplayIcon)" "REG_SZ    $program_win\\velkor.exe,0"
check "UninstallString" "$(reg_value "$uninstall_key" UninstallString)" "REG_SZ    \"$program_win\\uninstall.exe\""
check "QuietUninstallString" "$(reg_value "$uninstall_key" QuietUninstallString)" "REG_SZ    \"$program_win\\uninstall.exe\" /S"
check "NoModify" "$(reg_value "$uninstall_key" NoModify)" "REG_DWORD    0x1"
check "NoRepair" "$(reg_value "$uninstall_key" NoRepair)" "REG_DWORD    0x1"
size="$(reg_value "$uninstall_key" EstimatedSize)"
kib=$(( $(du -sk --apparent-size "$program" | cut -f1) ))
python3 - "$size" "$kib" <<'PY' || fail "EstimatedSize '$size' is not the program folder's size (${kib} KiB)"
import sys
kind, value = sys.argv[1].split()
assert kind == "REG_DWORD", kind
# The size is taken before the uninstaller is written, in whole KiB per file.
assert abs(int(value, 16) - int(sys.argv[2])) < 1024, (value, sys.argv[2])
PY
echo "ok: EstimatedSize $size"
# The entry is the 64-bit system's, not one of the 32-bit view.
! run reg query 'HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Velkor' >/dev/null 2>&1 \
  || fail "an uninstall entry in the 32-bit view"

for link in Velkor.lnk Uninstall.lnk; do [ -f "$menu/$link" ] || fail "no Start-menu shortcut $link"; done
grep -aq 'velkor.exe' "$menu/Velkor.lnk" || fail "Velkor.lnk does not start velkor.exe"
grep -aq 'uninstall.exe' "$menu/Uninstall.lnk" || fail "Uninstall.lnk does not start the uninstaller"
[ ! -e "$desktop/Velkor.lnk" ] || fail "a desktop shortcut nobody asked for"
echo "ok: Start-menu shortcuts, no desktop shortcut"

# 3. The installed programs: velkorctl from the program folder calls the
# service at the address the setup wrote (the listener answers nothing, so
# the scan reports the service unreachable).
ctl="$program_win\\velkorctl.exe"
folders="$(run "$ctl" settings --json)"
python3 - "$folders" <<'PY'
import json, sys
assert json.loads(sys.argv[1])["folders"]["ProgramFolder"] == "C:\\Program Files\\Velkor\\"
PY
rc=0; run "$ctl" scan --no >"$work/scan.out" 2>"$work/scan.err" || rc=$?
check "velkorctl scan against a silent service" "$rc" 3
grep -q "127.0.0.1:$port" "$work/calls.log" || fail "velkorctl did not call $url"
echo "ok: velkorctl from the program folder called $url"

# velkor.exe from the program folder finds its text file complete, so it
# writes nothing there (a user could not).
run reg add 'HKCU\software\VELKOR Brenn\Settings' /v AutoScan /t REG_DWORD /d 0 /f >/dev/null
ini_before="$(stat -c %Y "$program/velkor.ini")"
run "$program_win\\velkor.exe" &
velkor=$!
probe wait Velkor 60000 || fail "velkor.exe showed no window"
check "first page" "$(probe page Velkor | strip_cr)" "136"
probe command Velkor 32780 || fail "nothing to exit"
rc=0; wait "$velkor" || rc=$?
check "exit code of velkor.exe" "$rc" 0
check "velkor.ini untouched by the program" "$(stat -c %Y "$program/velkor.ini")" "$ini_before"
cmp -s "$program/velkor.ini" "$VELKOR_SOURCE_DIR/tests/fixtures/core/velkor.ini" || fail "velkor.ini changed"

# 4. Uninstall with /S: a backup archive in the user's backup folder stays.
backup="$(echo "$drive"/users/*/AppData/Roaming/Velkor/Backup)"
[ -d "$backup" ] || fail "the program made no backup folder"
printf 'PK\005\006%018d' 0 >"$backup/Backup 2026-12-10.zip"
run "$program_win\\uninstall.exe" /S
# The uninstaller runs from a copy of itself: wait for its last step.
wait_for 60 bash -c "! '$VELKOR_WINE_RUN' reg query '$uninstall_key' >/dev/null 2>&1" \
  || fail "the uninstall entry is still there"
echo "ok: uninstall entry removed"
[ ! -e "$program" ] || fail "left in the program folder: $(cd "$program" && find . | tr '\n' ' ')"
[ ! -e "$menu" ] || fail "Start-menu folder left"
check "service address after uninstall" "$(reg_value 'HKLM\Software\VELKOR Brenn' ServiceUrl)" ""
[ -f "$backup/Backup 2026-12-10.zip" ] || fail "the uninstaller deleted the user's backup"
run reg query 'HKCU\software\VELKOR Brenn\Settings' >/dev/null 2>&1 || fail "the user's settings were deleted"
echo "ok: program folder, shortcuts and machine values gone; backups and settings kept"
