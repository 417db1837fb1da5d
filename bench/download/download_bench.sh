#!/usr/bin/env bash
# Download throughput on loopback under Wine, from a win64 build tree:
#   build/win64/wine/wine-prefix private bench-download bash bench/download/download_bench.sh build/win64 [MIB]
# A copy of the sample catalog whose display-adapter package carries MIB
# (default 256) MiB of random data more is served by velkor-service; on the
# demo machine office-pc-2007:
#   - velkorctl download --device N fetches that package (as the window does:
#     the page's buffer, its progress, its MD5 check); the transfer's time is
#     that run less a second run that finds the package present (scan and one
#     MD5 in both);
#   - download_timer fetches the same URL with the downloader alone, with the
#     1024-byte buffer and with 64 KiB, and times FileMd5 on the file;
#   - curl fetches it and md5sum reads it, for comparison.
set -euo pipefail
build="$(cd "${1:?build folder}" && pwd)"
mib="${2:-256}"
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
run="$build/wine/wine-run"
ctl="$build/src/app/velkorctl/velkorctl.exe"
work="$(mktemp -d)"
export VELKOR_BUILD_DIR="$build" VELKOR_SOURCE_DIR="$source_dir" VELKOR_WINE_RUN="$run"
export VELKOR_SAMPLE_CATALOG="$work/catalog" VELKOR_SERVICE_WORK="$work/service"
source "$source_dir/tests/integration/scan/service_fixture.sh"
trap 'velkor_service_stop; rm -rf "$work"' EXIT
now() { date +%s.%N; }
seconds() { python3 -c "import sys; print(f'{float(sys.argv[2]) - float(sys.argv[1]):.3f}')" "$1" "$2"; }
rate() { python3 -c "import sys; print(f'{float(sys.argv[1]) / float(sys.argv[2]):.1f}')" "$mib" "$1"; }

cp -r "$build/sample_catalog" "$work/catalog"
package="nvidia/geforce_7300_6.14.11.7412.zip"
head -c "$((mib * 1048576))" /dev/urandom >"$work/blob.bin"
(cd "$work" && zip -q -0 -j "$work/catalog/packages/$package" blob.bin)
velkor_service_start
"$run" "$build/tools/testmachine/testmachine.exe" "$build/tests/fixtures/machines/office-pc-2007.json" >/dev/null 2>&1
velkor_service_use
url="${VELKOR_SERVICE_URL}v1/packages/$package"
bytes="$(stat -c %s "$work/catalog/packages/$package")"
echo "package: $package, $bytes bytes"

"$run" "$ctl" scan --json >"$work/scan.json" 2>/dev/null
device="$(python3 -c '
import json, sys
for u in json.load(open(sys.argv[1]))["updates"]:
    if u["HardwareId"].lower().startswith("pci\\ven_10de"):
        print(u["number"]); break' "$work/scan.json")"
t0="$(now)"; "$run" "$ctl" download --device "$device" >"$work/first.txt" 2>/dev/null; t1="$(now)"
"$run" "$ctl" download --device "$device" >"$work/second.txt" 2>/dev/null; t2="$(now)"
grep -q downloaded "$work/first.txt" || { echo "velkorctl download failed"; cat "$work/first.txt"; exit 1; }
fresh="$(seconds "$t0" "$t1")"; present="$(seconds "$t1" "$t2")"
transfer="$(python3 -c "import sys; print(f'{float(sys.argv[1]) - float(sys.argv[2]):.3f}')" "$fresh" "$present")"
echo "velkorctl download: ${fresh} s fresh, ${present} s with the package present: transfer ${transfer} s, $(rate "$transfer") MiB/s"

t0="$(now)"; curl -s -o "$work/curl.bin" "$url"; t1="$(now)"
curl_s="$(seconds "$t0" "$t1")"
echo "curl: ${curl_s} s, $(rate "$curl_s") MiB/s; velkorctl / curl throughput: $(python3 -c "import sys; print(f'{float(sys.argv[2]) / float(sys.argv[1]):.3f}')" "$transfer" "$curl_s")"

for buffer in 1024 65536; do
  "$run" "$build/bench/download/download_timer.exe" "$url" 'C:\timer.bin' "$buffer" | tr -d '\r' >"$work/timer.txt"
  t="$(awk '$1 == "transfer" {print $2}' "$work/timer.txt")"
  m="$(awk '$1 == "md5" {print $2}' "$work/timer.txt")"
  echo "downloader alone, buffer $buffer: ${t} s, $(rate "$t") MiB/s; FileMd5 ${m} s, $(rate "$m") MiB/s"
done
t0="$(now)"; md5sum "$work/curl.bin" >/dev/null; t1="$(now)"
m="$(seconds "$t0" "$t1")"
echo "md5sum: ${m} s, $(rate "$m") MiB/s"
