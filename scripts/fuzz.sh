#!/bin/bash
# Runs every libFuzzer target of the fuzz build for a bounded time.
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
#
# Seeds come from tests/fuzz/corpus/<target>/ and the kept failures from
# tests/fuzz/regressions/<target>/; the growing corpus and any new failing input
# stay under build/fuzz/ (copy a failing input into tests/fuzz/regressions/<target>/
# once it is fixed, so that the unit tests replay it). Exits non-zero when a
# target fails.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
seconds=${1:-60}
shift || true

if [ $# -gt 0 ]; then
  targets=("$@")
else
  mapfile -t targets < <(find "$build/tests/fuzz" -type f -name '*_fuzzer' -perm -u+x -printf '%f\n' | sort)
fi
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz.sh: no fuzz targets in $build (cmake --preset fuzz && cmake --build --preset fuzz -j2)" >&2
  exit 1
fi

status=0
for target in "${targets[@]}"; do
  program=$(find "$build/tests/fuzz" -type f -name "$target" -perm -u+x | head -n 1)
  if [ -z "$program" ]; then
    echo "fuzz.sh: $target not built" >&2
    status=1
    continue
  fi
  work=$build/fuzz-work/$target
  artifacts=$build/fuzz-artifacts/$target/
  mkdir -p "$work" "$artifacts"
  seeds=()
  for dir in "$root/tests/fuzz/corpus/$target" "$root/tests/fuzz/regressions/$target"; do
    [ -d "$dir" ] && seeds+=("$dir")
  done
  echo "== $target: ${seconds}s"
  if ! "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$artifacts" "$work" "${seeds[@]}" 2>"$build/fuzz-$target.log"; then
    echo "fuzz.sh: $target FAILED (log: $build/fuzz-$target.log, inputs: $artifacts)" >&2
    tail -n 30 "$build/fuzz-$target.log" >&2
    status=1
  else
    grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$build/fuzz-$target.log" || true
  fi
done
exit $status
