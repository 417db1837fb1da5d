#!/usr/bin/env bash
# Configures (once) and builds the given presets.
#   scripts/build.sh win64 [native ...]
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in "$@"; do
  if [ ! -f "build/$preset/build.ninja" ]; then
    cmake --preset "$preset" >/dev/null
  fi
  cmake --build --preset "$preset" -j "$(nproc)"
done
