#!/usr/bin/env bash
# Every package of the sample catalog, unpacked (ZIP by Python, CAB by gcab),
# installs under Wine's SetupAPI through plug-and-play on a device with its
# model's ID: testmachine installs them all, each device gets the package's
# service and a driver, and the driver images are copied to system32\drivers.
# Packages whose models are only in version-decorated sections (made for
# Windows 7 or 10 alone) are named and left out: Wine 8.0 installs from the
# undecorated and plain architecture sections only.
set -euo pipefail
run="$VELKOR_WINE_RUN"
build="$VELKOR_BUILD_DIR"
packages="$VELKOR_SAMPLE_CATALOG/packages"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0

python3 "$VELKOR_SOURCE_DIR/tests/integration/sample_catalog/install_machine.py" "$packages" "$work" \
  >"$work/devices.txt" 2>"$work/skipped.txt"
while IFS='|' read -r package _; do
  echo "skip $package: only version-decorated models sections, which Wine's SetupAPI does not read"
done <"$work/skipped.txt"
if ! "$run" "$build/tools/testmachine/testmachine.exe" "$work/machine.json" >"$work/testmachine.log" 2>&1; then
  echo "FAIL testmachine could not install every package:"; cat "$work/testmachine.log"; exit 1
fi
"$run" "$build/tools/testmachine/testmachine.exe" --list | tr -d '\r' >"$work/list.txt"

# Each device has a driver now; each package's service (named by its image,
# from the INF's AddService) exists with the image copied to system32\drivers.
images=""
while IFS='|' read -r package id; do
  if ! python3 - "$work/list.txt" "$id" <<'PY'
import sys
listing, wanted = open(sys.argv[1]).read().split("\n\n"), sys.argv[2].lower()
blocks = [b for b in listing if f"hardware_id: {wanted}\n" in b.lower() + "\n"]
sys.exit(0 if blocks and all("\n  driver: {" in b for b in blocks) else 1)
PY
  then
    echo "FAIL $package: the device $id has no driver"; failures=$((failures + 1))
  fi
  inf="$(find "$work/unpacked/$package" -iname '*.inf')"
  images+="$(sed -n 's/^AddService=\([^,]*\),.*/\1/p' "$inf" | tr -d '\r')"$'\n'
done <"$work/devices.txt"
for image in $(sort -u <<<"$images"); do
  "$run" reg query "HKLM\\System\\CurrentControlSet\\Services\\$image" /v ImagePath 2>/dev/null |
    tr -d '\r' | grep -i "drivers\\\\$image.sys" >/dev/null || {
    echo "FAIL no service $image with its image"; failures=$((failures + 1)); }
  [ -f "$VELKOR_WINEPREFIX/drive_c/windows/system32/drivers/$image.sys" ] || {
    echo "FAIL $image.sys not copied to system32\\drivers"; failures=$((failures + 1)); }
done

[ "$failures" -eq 0 ] || exit 1
echo "ok   $(wc -l <"$work/devices.txt") devices of $(cut -d'|' -f1 "$work/devices.txt" | sort -u | wc -l) packages installed"
