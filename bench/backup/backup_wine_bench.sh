#!/usr/bin/env bash
# The backup of the demo machine office-pc-2007 under Wine: `velkorctl backup
# --all` against `velkorctl backup --device N` of one device with a driver (the
# same process start, scan and packing with one device's copies), five rounds
# each, interleaved; prints the fastest of each and their difference per
# further device (the copying, the searches and the index of one device, plus
# its share of the packing). The fastest round, since the machine is shared
# and wall time only grows with others' load. From a win64 build tree:
#   build/win64/wine/wine-prefix private bench-backup bash bench/backup/backup_wine_bench.sh build/win64
set -euo pipefail
build="$(cd "${1:?build folder}" && pwd)"
run="$build/wine/wine-run"
ctl="$build/src/app/velkorctl/velkorctl.exe"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$run" "$build/tools/testmachine/testmachine.exe" "$build/tests/fixtures/machines/office-pc-2007.json" >/dev/null
"$run" "$ctl" inventory --json >"$work/inventory.json"
read -r devices first < <(python3 -c '
import json, sys
numbers = [i for i, d in enumerate(json.load(open(sys.argv[1]))) if d["InfPath"]]
print(len(numbers), numbers[0])' "$work/inventory.json")
"$run" "$ctl" backup --all >/dev/null 2>&1  # warm caches

milliseconds() { local start end; start=$(date +%s%N); "$@" >/dev/null 2>&1; end=$(date +%s%N); echo $(( (end - start) / 1000000 )); }
all=() one=()
for i in 1 2 3 4 5; do
  all+=("$(milliseconds "$run" "$ctl" backup --all)")
  sleep 1  # a new archive name each run
  one+=("$(milliseconds "$run" "$ctl" backup --device "$first")")
  sleep 1
done
python3 -c "
import sys
devices, rest = int(sys.argv[1]), sys.argv[2:]
all_runs, one_runs = list(map(int, rest[:5])), list(map(int, rest[5:]))
best_all, best_one = min(all_runs), min(one_runs)
print(f'backup --all ({devices} devices with drivers): {best_all} ms (runs {all_runs})')
print(f'backup of one device: {best_one} ms (runs {one_runs})')
print(f'per further device: {(best_all - best_one) / (devices - 1):.1f} ms')" "$devices" "${all[@]}" "${one[@]}"
