#!/bin/bash
# Builds the benchmark preset and runs every benchmark program, printing the
# figures. Extra arguments go to each program (e.g. --benchmark_filter=Match).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset bench >/dev/null
cmake --build --preset bench -j2
status=0
while IFS= read -r program; do
  echo "== ${program#"$root"/}"
  "$program" "$@" || status=1
done < <(find "$root/build/bench/bench" -type f -perm -u+x -name '*_bench' | sort)
exit $status
