#!/usr/bin/env bash
# A program folder without Network.dll: `velkorctl scan` says a file is missing
# and exits 4. The build's own program folder has the library beside the
# program.
set -euo pipefail
run="$VELKOR_WINE_RUN"
build="$VELKOR_BUILD_DIR"
program_dir="$build/src/app/velkorctl"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

[ -f "$program_dir/Network.dll" ] || { echo "FAIL no Network.dll beside $program_dir/velkorctl.exe"; exit 1; }
mkdir "$work/app"
cp "$program_dir/velkorctl.exe" "$program_dir/Network.dll" "$program_dir/update.dll" "$work/app/"
rm "$work/app/Network.dll"

status=0
"$run" "$work/app/velkorctl.exe" scan >"$work/out.txt" 2>"$work/err.txt" || status=$?
message="Velkor has a file missing. Please re-install to fix the issue."
said="$(cat "$work/out.txt" "$work/err.txt" | tr -d '\r' | grep -cxF "$message" || true)"
if [ "$status" -eq 4 ] && [ "$said" -eq 1 ]; then
  echo "ok   exit 4 and the missing-file message"
else
  echo "FAIL exit $status, message $said times"; cat "$work/out.txt" "$work/err.txt"; exit 1
fi
