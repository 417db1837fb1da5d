#!/usr/bin/env bash
# Unpacks a package of each kind, SIZE MiB of driver-like files (default 200),
# the way the install does under Wine (ZIP through the ZIP layer, CAB through
# FDI, RAR through unrar.dll, a 7-Zip self-extracting setup through 7z.exe),
# and the same files natively with unzip, 7zz and unrar; prints seconds and
# MB/s (unpacked bytes per second) for each. Run from a win64 build tree:
#   build/win64/wine/wine-prefix private bench-unpack bash bench/install/unpack_wine_bench.sh build/win64 [SIZE]
set -euo pipefail
build="$(cd "${1:?build folder}" && pwd)"
size_mib="${2:-200}"
run="$build/wine/wine-run"
bench="$build/bench/install/unpack_bench.exe"
programs="$build/src/app/velkorctl"
work="$(mktemp -d "$build/unpack-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
win() { echo "Z:${1//\//\\}"; }

# Driver-like content: 40 files; each 64 KiB block is half pseudo-random
# bytes and half repeated text, so the packers reach about half the size.
python3 - "$work/files" "$size_mib" <<'PY'
import os, random, sys
root, total = sys.argv[1], int(sys.argv[2]) << 20
rng = random.Random(2008)
text = b"[Strings] Provider=\"Vendor\" DriverVer=06/30/2008,1.0.0.1 " * 600
count = 40
for i in range(count):
    folder = os.path.join(root, f"drv{i % 4}")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, f"file{i:02}.bin"), "wb") as out:
        left = total // count
        while left > 0:
            block = rng.randbytes(32768) + text[:32768]
            out.write(block[:left])
            left -= len(block)
PY
unpacked=$(du -sb "$work/files" | cut -f1)
(cd "$work/files" && zip -q -r ../pkg.zip . && gcab -c -z ../pkg.cab $(find . -type f | sort) &&
 rar a -idq -r -m3 ../pkg.rar . && 7zz a -bd -t7z ../pkg.7z . >/dev/null)
cat "$build/outside/7zCon.sfx" "$work/pkg.7z" >"$work/pkg_setup.exe"

report() {  # KIND TOOL SECONDS
  TOOL="$2" awk -v kind="$1" -v s="$3" -v bytes="$unpacked" \
    'BEGIN { printf "%-4s %-28s %8.2f s %8.1f MB/s\n", kind, ENVIRON["TOOL"], s, bytes / 1e6 / s }'
}
seconds() {
  local start end
  start=$(date +%s%N); "$@" >/dev/null; end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.3f", ns / 1e9 }'
}

echo "unpacking $(awk -v b="$unpacked" 'BEGIN { printf "%.0f", b / 1048576 }') MiB in 40 files"
"$run" "$bench" zip "$(win "$work/pkg.zip")" "$(win "$work/warm")" "$(win "$programs")" >/dev/null  # Wine warm
for kind in zip cab rar 7z; do
  package="$work/pkg.$kind"
  [ "$kind" = 7z ] && package="$work/pkg_setup.exe"
  rm -rf "$work/out"
  s=$("$run" "$bench" "$kind" "$(win "$package")" "$(win "$work/out")" "$(win "$programs")" | tr -d '\r')
  [ "$(du -sb "$work/out" | cut -f1)" -eq "$unpacked" ] || { echo "FAIL $kind: not every byte unpacked"; exit 1; }
  case $kind in
    zip) tool="ZIP layer (Wine)" ;; cab) tool="Cabinet FDI (Wine)" ;;
    rar) tool="unrar.dll (Wine)" ;; 7z) tool="extract\\7z.exe (Wine)" ;;
  esac
  report "$kind" "$tool" "$s"
  rm -rf "$work/out"
  case $kind in
    zip) report zip "unzip (native)" "$(seconds unzip -q -o "$work/pkg.zip" -d "$work/out")" ;;
    cab) report cab "7zz (native)" "$(seconds 7zz x -y "$work/pkg.cab" -o"$work/out")" ;;
    rar) report rar "unrar (native)" "$(seconds unrar x -idq -o+ "$work/pkg.rar" "$work/out/")" ;;
    7z) report 7z "7zz (native)" "$(seconds 7zz x -y "$work/pkg.7z" -o"$work/out")" ;;
  esac
done
