#!/usr/bin/env bash
# The package install on a built machine: testmachine makes the devices of
# install-pc.json in this test's private prefix (one with the newer storage
# driver installed), then install_machine_tests runs; the update tool's start
# is run again with Wine reporting Windows XP ("open") and Vista ("runas").
#   install_machine.sh TESTMACHINE.exe INSTALL_MACHINE_TESTS.exe FIXTURES_DIR
set -euo pipefail
testmachine=$1 tests=$2 fixtures=$3
run() { "$VELKOR_WINE_RUN" "$@"; }

if ! run "$testmachine" "Z:$fixtures/install-pc.json" >/tmp/install-machine.$$ 2>&1; then
  cat /tmp/install-machine.$$; rm -f /tmp/install-machine.$$
  echo "FAIL testmachine could not build the install test machine"; exit 1
fi
rm -f /tmp/install-machine.$$

run "$tests"
for version in winxp:5 vista:6; do
  run reg add 'HKCU\Software\Wine' /v Version /d "${version%%:*}" /f >/dev/null
  VELKOR_EXPECT_WINDOWS_MAJOR=${version##*:} run "$tests" --gtest_filter='UpdateTool.StartsOnThisWindowsVersion'
done
