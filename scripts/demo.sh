#!/usr/bin/env bash
# Installs what is missing, builds Velkor and runs its main job on the demo
# machine: a fresh Wine prefix made into the office-pc-2007 machine.
#   scripts/demo.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh win64

build=build/win64
machine=$build/tests/fixtures/machines/office-pc-2007.json
prefix_tool=$build/wine/wine-prefix
"$prefix_tool" setup >/dev/null
"$prefix_tool" private demo bash -c "
  set -e
  '$build/wine/wine-run' '$build/tools/testmachine/testmachine.exe' '$machine'
  '$build/wine/wine-run' '$build/tools/testmachine/testmachine.exe' --list
"
"$prefix_tool" stop >/dev/null
