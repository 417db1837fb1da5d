#!/usr/bin/env bash
# Builds the fixture machines in this test's private Wine prefix with
# testmachine and checks them with machine_check; also checks how testmachine
# answers bad descriptions and a missing package.
#   run_testmachine.sh TESTMACHINE.exe MACHINE_CHECK.exe FIXTURES_DIR SOURCE_DIR
set -u
testmachine=$1 check=$2 fixtures=$3 here=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
run() { "$VELKOR_WINE_RUN" "$@"; }
# Wine maps the Unix root to drive Z:.
win() { echo "Z:$1"; }

# Bad descriptions: exit 2 and one line that names the fault.
while IFS='|' read -r file expected; do
  message=$(run "$testmachine" "$(win "$here/bad/$file")" 2>&1 >/dev/null)
  status=$?
  [ "$status" -eq 2 ] || fail "$file: exit $status, expected 2"
  grep -qF -- "$expected" <<<"$message" || fail "$file: message '$message' lacks '$expected'"
  [ "$(wc -l <<<"$message")" -eq 1 ] || fail "$file: more than one line: $message"
done <<'LIST'
truncated.json|not valid JSON
bad-guid.json|devices[1].class_guid: is not a GUID
unknown-windows.json|windows: "win95" is not one of
ids-not-strings.json|devices[0].hardware_ids[1]: must be a string
misspelt-key.json|devices[0].driver.packag: unknown key
does-not-exist.json|cannot open
LIST
message=$(run "$testmachine" 2>&1 >/dev/null); status=$?
[ "$status" -eq 2 ] || fail "no arguments: exit $status, expected 2"

# The office machine, twice: the second run updates, it does not duplicate.
office=$(win "$fixtures/machines/office-pc-2007.json")
run "$testmachine" "$office" >/dev/null || fail "office-pc-2007: first run failed"
run "$testmachine" "$office" >/dev/null || fail "office-pc-2007: second run failed"
VELKOR_MACHINE=$office run "$check" || fail "office-pc-2007 does not match its description"

# A missing package: exit 1, the device named on stderr, the rest still done.
message=$(run "$testmachine" "$(win "$here/partial-failure.json")" 2>&1 >/dev/null)
status=$?
[ "$status" -eq 1 ] || fail "partial-failure: exit $status, expected 1"
grep -qF 'devices[0]' <<<"$message" || fail "partial-failure: '$message' does not name devices[0]"
run "$testmachine" --list | grep -F 'PCI\VEN_8086&DEV_2831&SUBSYS_00000000&REV_02\' >/dev/null ||
  fail "partial-failure: the second device was not made"

# Another Windows version on top.
vista=$(win "$fixtures/machines/vista-laptop.json")
run "$testmachine" "$vista" >/dev/null || fail "vista-laptop: run failed"
VELKOR_MACHINE=$vista run "$check" || fail "vista-laptop does not match its description"

[ "$failures" -eq 0 ] && echo "testmachine: all checks passed"
[ "$failures" -eq 0 ]
