#!/usr/bin/env bash
# Builds the office-pc-2007 machine in a private prefix and checks what
# `velkorctl inventory --json` lists on it, field by field.
set -euo pipefail
run="$VELKOR_WINE_RUN"
build="$VELKOR_BUILD_DIR"
machine="$build/tests/fixtures/machines/office-pc-2007.json"
[ -f "$machine" ] || machine="$VELKOR_SOURCE_DIR/tests/fixtures/machines/office-pc-2007.json"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$run" "$build/tools/testmachine/testmachine.exe" "$machine" >"$work/testmachine.log" 2>&1 || {
  cat "$work/testmachine.log"; exit 1; }
"$run" "$build/src/app/velkorctl/velkorctl.exe" inventory --json >"$work/inventory.json"
python3 "$VELKOR_SOURCE_DIR/tests/integration/inventory/check_inventory.py" "$machine" "$work/inventory.json"

# The text table lists the same devices.
"$run" "$build/src/app/velkorctl/velkorctl.exe" inventory >"$work/inventory.txt"
count="$(python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))))' "$work/inventory.json")"
tail -n 1 "$work/inventory.txt" | grep -qx "$count devices" || {
  echo "FAIL text table: '$(tail -n 1 "$work/inventory.txt")', expected '$count devices'"; exit 1; }
echo "ok   text table lists $count devices"
