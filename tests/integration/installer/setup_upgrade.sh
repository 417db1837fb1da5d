#!/usr/bin/env bash
# An upgrade as the self-update runs it: version N installed and its
# velkor.exe running, the N+1 setup started with /verysilent. The setup waits
# for the program to end before it replaces a file, then leaves the N+1 files,
# one uninstall entry of N+1, and the service address the machine had.
set -euo pipefail
[ -n "${VELKOR_OWN_DISPLAY:-}" ] || exec "$VELKOR_SOURCE_DIR/tests/integration/own_display.sh" bash "$0" "$@"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/setup_common.sh"
probe() { run "$VELKOR_WINDOW_PROBE" "$@"; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Version N: the same files, its programs marked so that they differ from
# N+1's (bytes after a program's image change nothing when it runs).
old_version=2.0.0.0
cp -a "$VELKOR_SETUP_STAGE/x64" "$work/x64"
for file in velkor.exe velkorctl.exe; do printf 'version N' >>"$work/x64/$file"; done
"$VELKOR_MAKE_SETUP" "$old_version" "$work/x64" "$VELKOR_SETUP_STAGE/x86" "$work/velkor-setup-$old_version.exe" \
  '-XSetCompressor /FINAL zlib' >/dev/null
old_setup="$work/velkor-setup-$old_version.exe"

url='http://127.0.0.1:9/upgrade/'
rc=0; run "$old_setup" /S "/SERVICEURL=$url" || rc=$?
check "exit code of the N setup" "$rc" 0
check "installed version" "$(reg_value "$uninstall_key" DisplayVersion)" "REG_SZ    $old_version"
cmp -s "$program/velkor.exe" "$work/x64/velkor.exe" || fail "N's velkor.exe is not installed"

run reg add 'HKCU\software\VELKOR Brenn\Settings' /v AutoScan /t REG_DWORD /d 0 /f >/dev/null
run "$program_win\\velkor.exe" &
velkor=$!
probe wait Velkor 60000 || fail "velkor.exe showed no window"

run "$VELKOR_SETUP_FILE" /verysilent &
setup=$!
# While the program runs, the setup waits and replaces nothing.
end=$((SECONDS + 3))
while [ "$SECONDS" -lt "$end" ]; do
  kill -0 "$setup" 2>/dev/null || fail "the setup ended while velkor.exe runs"
  cmp -s "$program/velkor.exe" "$work/x64/velkor.exe" || fail "velkor.exe replaced while it runs"
  sleep 0.2
done
echo "ok: the setup waits while velkor.exe runs"

probe command Velkor 32780 || fail "nothing to exit"
rc=0; wait "$velkor" || rc=$?
check "exit code of velkor.exe" "$rc" 0
wait_for 120 bash -c "! kill -0 $setup 2>/dev/null" || fail "the setup did not end after the program"
rc=0; wait "$setup" || rc=$?
check "exit code of the /verysilent setup" "$rc" 0

while read -r file; do
  cmp -s "$program/$file" "$VELKOR_SETUP_STAGE/x64/$file" || fail "$file is not N+1's"
done < <(setup_layout)
echo "ok: every program file is N+1's"
check "installed version" "$(reg_value "$uninstall_key" DisplayVersion)" "REG_SZ    $VELKOR_SETUP_VERSION"
entries="$(run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | strip_cr \
  | grep -c '^ *DisplayName    REG_SZ    Velkor$' || true)"
check "uninstall entries of Velkor" "$entries" 1
check "service address kept by an upgrade without the switch" \
  "$(reg_value 'HKLM\Software\VELKOR Brenn' ServiceUrl)" "REG_SZ    $url"
