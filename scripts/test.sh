#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
# each fuzz target for a short while, the platform-free tests natively under
# ASan/UBSan, and the Windows tests under Wine (win64); win32 is built too.
#   scripts/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh win64 win32 native

# Windows GUI tests need an X display; give them a virtual one when there is none.
run_ctest() {
  if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset "$1"
  else
    ctest --preset "$1"
  fi
}
scripts/fuzz.sh "${VELKOR_FUZZ_SECONDS:-15}"
run_ctest native
run_ctest win64
