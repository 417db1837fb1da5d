#!/usr/bin/env bash
# velkorctl request and match: the request document byte for byte, the matched
# updates as JSON and text, the answer in UTF-8 and UTF-16LE, the live-machine
# path against a saved inventory of the same machine, and the exit codes.
set -euo pipefail
run="$VELKOR_WINE_RUN"
ctl="$VELKOR_BUILD_DIR/src/app/velkorctl/velkorctl.exe"
fixtures="$VELKOR_SOURCE_DIR/tests/integration/lookup/fixtures"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
pass() { echo "ok   $1"; }
fail() { echo "FAIL $1"; failures=$((failures + 1)); }

# The request carries this system's OS code.
osid="$("$run" "$ctl" osversion | tr -d '\r' | cut -d' ' -f1)"
sed "s|@OSID@|$osid|" "$fixtures/expected_request.xml" >"$work/expected_request.xml"
"$run" "$ctl" request --inventory "$fixtures/inventory.json" >"$work/request.xml"
if cmp -s "$work/request.xml" "$work/expected_request.xml"; then
  pass "request from a saved inventory, byte for byte (CR LF kept)"
else
  fail "request differs:"; diff <(cat -A "$work/expected_request.xml") <(cat -A "$work/request.xml") || true
fi

"$run" "$ctl" match --answer "$fixtures/answer.xml" --inventory "$fixtures/inventory.json" --json >"$work/match.json"
if cmp -s "$work/match.json" "$fixtures/expected_match.json"; then
  pass "match --json"
else
  fail "match --json differs:"; diff "$fixtures/expected_match.json" "$work/match.json" || true
fi

# The same answer as UTF-16LE with a byte-order mark.
python3 -c 'import sys; d=open(sys.argv[1],"rb").read().decode("utf-8"); open(sys.argv[2],"wb").write(b"\xff\xfe"+d.encode("utf-16-le"))' \
  "$fixtures/answer.xml" "$work/answer16.xml"
"$run" "$ctl" match --answer "$work/answer16.xml" --inventory "$fixtures/inventory.json" --json >"$work/match16.json"
if cmp -s "$work/match16.json" "$fixtures/expected_match.json"; then
  pass "match of a UTF-16LE answer"
else
  fail "match of a UTF-16LE answer differs"; diff "$fixtures/expected_match.json" "$work/match16.json" || true
fi

"$run" "$ctl" match --answer "$fixtures/answer.xml" --inventory "$fixtures/inventory.json" | tr -d '\r' >"$work/match.txt"
expected_tail='Update list:
  Network adapters|Realtek RTL8139 Family PCI Fast Ethernet NIC|5
  Sound, video and game controllers|High Definition Audio Controller|0
  System devices|PCI bus|1
4 devices have updates, 3 listed'
if [ "$(tail -n 5 "$work/match.txt")" = "$expected_tail" ] &&
   [ "$(grep -c '^Device ' "$work/match.txt")" = 4 ] &&
   grep -qx 'Device 2: Generic USB Hub' "$work/match.txt"; then
  pass "match text report"
else
  fail "match text report:"; cat "$work/match.txt"
fi

# This machine, scanned live, gives the same documents as its saved inventory.
"$run" "$ctl" inventory --json >"$work/inventory.json"
"$run" "$ctl" request >"$work/live_request.xml"
"$run" "$ctl" request --inventory "$work/inventory.json" >"$work/saved_request.xml"
if head -c 12 "$work/live_request.xml" | grep -q '^<newdataset' && cmp -s "$work/live_request.xml" "$work/saved_request.xml"; then
  pass "request of the live machine equals the request of its saved inventory"
else
  fail "live request differs from the saved inventory's"; diff "$work/saved_request.xml" "$work/live_request.xml" || true
fi
"$run" "$ctl" match --answer "$fixtures/answer.xml" --json >"$work/live_match.json"
"$run" "$ctl" match --answer "$fixtures/answer.xml" --inventory "$work/inventory.json" --json >"$work/saved_match.json"
if cmp -s "$work/live_match.json" "$work/saved_match.json"; then
  pass "match on the live machine equals match on its saved inventory"
else
  fail "live match differs from the saved inventory's"
fi

# Exit codes: 2 for usage, 1 for files that cannot be used.
printf '<NewDataSet><Table>' >"$work/broken.xml"
expect_exit() {
  local want="$1" what="$2"; shift 2
  local got=0
  "$run" "$ctl" "$@" >"$work/out.txt" 2>"$work/err.txt" || got=$?
  if [ "$got" = "$want" ] && [ ! -s "$work/out.txt" ] && [ -s "$work/err.txt" ]; then
    pass "$what: exit $got, $(tr -d '\r' <"$work/err.txt" | head -n 1)"
  else
    fail "$what: exit $got (expected $want)"; cat "$work/out.txt" "$work/err.txt"
  fi
}
expect_exit 2 "match without --answer" match --inventory "$fixtures/inventory.json"
expect_exit 2 "match with an unknown option" match --answer "$fixtures/answer.xml" --fast
expect_exit 2 "request with a missing value" request --inventory
expect_exit 1 "match of a missing answer" match --answer "$work/none.xml" --inventory "$fixtures/inventory.json"
expect_exit 1 "match of an unreadable answer" match --answer "$work/broken.xml" --inventory "$fixtures/inventory.json"
expect_exit 1 "request of a file that is no inventory" request --inventory "$fixtures/answer.xml"
exit "$failures"
