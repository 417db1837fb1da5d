#!/usr/bin/env bash
# velkorctl inventory on a generated machine of N devices (default 300) under
# Wine; prints milliseconds per device. Run from a win64 build tree:
#   build/win64/wine/wine-prefix private bench-inventory bash bench/inventory/inventory_wine_bench.sh build/win64 [N]
set -euo pipefail
build="$(cd "${1:?build folder}" && pwd)"
count="${2:-300}"
run="$build/wine/wine-run"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

python3 - "$count" >"$work/machine.json" <<'PY'
import json, sys
n = int(sys.argv[1])
classes = [("{4d36e972-e325-11ce-bfc1-08002be10318}", "Net"),
           ("{4d36e96c-e325-11ce-bfc1-08002be10318}", "MEDIA"),
           ("{36fc9e60-c465-11cf-8056-444553540000}", "USB"),
           ("{4d36e968-e325-11ce-bfc1-08002be10318}", "Display")]
devices = []
for i in range(n):
    guid, name = classes[i % len(classes)]
    hid = f"PCI\\VEN_{0x1000 + i:04X}&DEV_{0x2000 + i:04X}&SUBSYS_{i:08X}&REV_01"
    devices.append({
        "class_guid": guid, "class_name": name,
        "hardware_ids": [hid, f"PCI\\VEN_{0x1000 + i:04X}&DEV_{0x2000 + i:04X}"],
        "compatible_ids": [f"PCI\\VEN_{0x1000 + i:04X}&DEV_{0x2000 + i:04X}&REV_01", "PCI\\CC_020000"],
        "friendly_name": f"Bench device {i}",
        "driver": {"inf_path": f"oem{i}.inf", "version": f"5.1.2600.{i}", "date": "6-21-2006",
                   "provider": "Bench", "matching_device_id": hid.lower()},
    })
json.dump({"devices": devices}, sys.stdout, indent=1)
PY

"$run" "$build/tools/testmachine/testmachine.exe" "$work/machine.json" >/dev/null
"$run" "$build/src/app/velkorctl/velkorctl.exe" inventory --json >"$work/warm.json"  # warm caches
listed="$(python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))))' "$work/warm.json")"
for i in 1 2 3; do
  start=$(date +%s%N)
  "$run" "$build/src/app/velkorctl/velkorctl.exe" inventory --json >/dev/null
  end=$(date +%s%N)
  ms=$(( (end - start) / 1000000 ))
  python3 -c "import sys; t,l,i=map(int,sys.argv[1:]); print(f'run {i}: {t} ms, {l} devices listed: {t/l:.2f} ms per listed device')" "$ms" "$listed" "$i"
done
