#!/usr/bin/env bash
# Configures (once) and builds the given presets; with both win64 and win32,
# then the setup, which carries the programs of both
# (build/win64/installer/velkor-setup-<version>.exe).
#   scripts/build.sh win64 [win32 native ...]
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in "$@"; do
  if [ ! -f "build/$preset/build.ninja" ]; then
    cmake --preset "$preset" >/dev/null
  fi
  cmake --build --preset "$preset" -j "$(nproc)"
done

if [[ " $* " == *" win64 "* && " $* " == *" win32 "* ]]; then
  cmake --build --preset win64 --target velkor_setup
fi
