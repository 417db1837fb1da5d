#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a bounded time.
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]   (default 20 s, every target)
# Seeds come from tests/fuzz/corpus/<target>/ and every kept failing input from
# tests/fuzz/regressions/<target>/ (the unit tests replay those); the growing
# corpus stays in build/fuzz/corpus/<target>/ and new findings land in
# build/fuzz/findings/<target>/. Exits non-zero when a target fails.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
shift || true
scripts/build.sh fuzz

mapfile -t programs < <(sort build/fuzz/fuzzers.txt)
status=0
for fuzzer in "${programs[@]}"; do
  name=$(basename "$fuzzer")
  if [ $# -gt 0 ] && [[ " $* " != *" $name "* ]]; then continue; fi
  corpus="build/fuzz/corpus/$name"
  findings="build/fuzz/findings/$name"
  mkdir -p "$corpus" "$findings"
  seeds=()
  for dir in "tests/fuzz/corpus/$name" "tests/fuzz/regressions/$name"; do
    [ -d "$dir" ] && seeds+=("$dir")
  done
  echo "== $name (${seconds}s)"
  if ! "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$findings/" -print_final_stats=1 "$corpus" "${seeds[@]}" \
        >"build/fuzz/$name.log" 2>&1; then
    echo "FAILED: $name (see build/fuzz/$name.log, inputs in $findings)"
    tail -n 30 "build/fuzz/$name.log"
    status=1
  else
    grep -E 'stat::number_of_executed_units' "build/fuzz/$name.log" || true
  fi
done
exit $status
