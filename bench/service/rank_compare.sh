#!/usr/bin/env bash
# Which offers change with the identifier rank (velkor-service --rank
# identifier), on the sample catalog (the office machine as XP, the Windows 10
# desktop as Windows 10) and on the real INF files of the service's tests (a
# device for each of their model lines, on Windows 7, 10 1809 and 11 x64).
#   bench/service/rank_compare.sh
# Needs the sample catalog of the win64 build (target velkor_sample_catalog).
set -euo pipefail
cd "$(dirname "$0")/../.."
work=build/bench/rank-compare
cmake --preset bench >/dev/null
cmake --build --preset bench -j2 --target velkor-service velkor_rank_compare >/dev/null
rm -rf "$work"
mkdir -p "$work"
service=build/bench/service/velkor-service
compare=build/bench/bench/service/velkor_rank_compare
fixtures=service/tests/fixtures
if [ -d build/win64/sample_catalog/packages ]; then
  "$service" import --catalog "$work/sample.db" --packages build/win64/sample_catalog/packages >/dev/null
  python3 bench/service/machine_request.py tests/fixtures/machines/office-pc-2007.json 4 >"$work/office.xml"
  python3 bench/service/machine_request.py tests/fixtures/machines/win10-desktop.json -1 >"$work/win10.xml"
  echo "sample catalog, office-pc-2007 as Windows XP:"
  "$compare" "$work/sample.db" "$work/office.xml" 5.1.2600 x86
  echo "sample catalog, win10-desktop as Windows 10 22H2 x64:"
  "$compare" "$work/sample.db" "$work/win10.xml" 10.0.19045 amd64
else
  echo "no sample catalog in build/win64/sample_catalog (build the win64 preset first)"
fi
bash "$fixtures/pack_inf_packages.sh" "$work/packages" "$fixtures"/real-inf/*.inf "$fixtures/decorations.inf" \
  "$fixtures/e1000.inf"
"$service" import --catalog "$work/real.db" --packages "$work/packages" >/dev/null
python3 bench/service/inf_request.py -1 "$fixtures"/real-inf/*.inf "$fixtures/decorations.inf" \
  "$fixtures/e1000.inf" >"$work/real.xml"
for system in "6.1.7601 amd64" "10.0.17763 amd64" "10.0.26100 amd64"; do
  echo "real INF files, one device per model line, on $system:"
  # shellcheck disable=SC2086
  "$compare" "$work/real.db" "$work/real.xml" $system
done
