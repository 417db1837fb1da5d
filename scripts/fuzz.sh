#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a bounded time.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 20)
# Seeds come from tests/fuzz/corpus/<target>/ and every kept crash input from
# tests/fuzz/regressions/<target>/; new findings land in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
scripts/build.sh fuzz
status=0
for fuzzer in $(sort build/fuzz/fuzzers.txt); do
  name=$(basename "$fuzzer")
  corpus="build/fuzz/corpus/$name"
  findings="build/fuzz/findings/$name"
  mkdir -p "$corpus" "$findings"
  seeds=()
  for dir in "tests/fuzz/corpus/$name" "tests/fuzz/regressions/$name"; do
    [ -d "$dir" ] && seeds+=("$dir")
  done
  echo "== $name (${seconds}s)"
  if ! "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$findings/" -print_final_stats=0 "$corpus" "${seeds[@]}" \
        >"build/fuzz/$name.log" 2>&1; then
    echo "FAILED: $name (see build/fuzz/$name.log, inputs in $findings)"
    tail -n 30 "build/fuzz/$name.log"
    status=1
  else
    grep -E '^Done|^#[0-9]+.*DONE' "build/fuzz/$name.log" | tail -n 1 || true
  fi
done
exit $status
