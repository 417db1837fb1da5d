#!/usr/bin/env bash
# A small machine made for the listing rules: excluded classes and IDs, the
# "Non-Plug and Play Drivers" class, the exempt PCI bus, a device without name,
# one without class description, one without compatible IDs or MatchingDeviceId.
set -euo pipefail
run="$VELKOR_WINE_RUN"
build="$VELKOR_BUILD_DIR"
here="$VELKOR_SOURCE_DIR/tests/integration/inventory"
machine="$here/machines/listing-rules.json"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$run" "$build/tools/testmachine/testmachine.exe" "$machine" >"$work/testmachine.log" 2>&1 || {
  cat "$work/testmachine.log"; exit 1; }
"$run" "$build/src/app/velkorctl/velkorctl.exe" inventory --json >"$work/inventory.json"
python3 "$here/check_inventory.py" "$machine" "$work/inventory.json"

# What the general check cannot know from the description alone.
python3 - "$work/inventory.json" <<'PY'
import json, sys
inv = {e["HardwareId"]: e for e in json.load(open(sys.argv[1], encoding="utf-8"))}
checks = [
    ("USB\\VID_0A5C&PID_2110&REV_0100", "ClassDescription", "Other devices"),
    ("USB\\VID_0A5C&PID_2110&REV_0100", "MatchingIds", "USB\\Class_E0&SubClass_01&Prot_01|USB\\Class_E0"),
    ("PCI\\VEN_8086&DEV_27D8&SUBSYS_82341043&REV_01&CC_0403", "Name", "Unknown Device"),
    ("PCI\\VEN_8086&DEV_27D8&SUBSYS_82341043&REV_01&CC_0403", "MatchingIds",
     "PCI\\VEN_8086&DEV_27D8&REV_01|PCI\\CC_0403"),
    ("HDAUDIO\\FUNC_01&VEN_10EC&DEV_0880&SUBSYS_10438234&REV_1000", "MatchingIds",
     "hdaudio\\func_01&ven_10ec&dev_0880"),
    ("ACPI\\PNP0A03", "Name", "PCI bus"),
]
bad = 0
for hid, field, want in checks:
    got = inv.get(hid, {}).get(field)
    if got != want:
        print(f"FAIL {hid} {field}: {got!r}, expected {want!r}")
        bad += 1
    else:
        print(f"ok   {hid} {field}")
for hid in ("ACPI\\PNP0C0A", "VELKOR\\LEGACY_BEEP", "VELKOR\\EXCLUDED_CLASS_DEVICE",
            "ACPI\\GenuineIntel_-_x86_Family_15_Model_6"):
    if hid in inv:
        print(f"FAIL {hid} is listed")
        bad += 1
sys.exit(1 if bad else 0)
PY

# A wrong option is a usage error with a one-line message.
set +e
"$run" "$build/src/app/velkorctl/velkorctl.exe" inventory --xml >"$work/out.txt" 2>"$work/err.txt"
code=$?
set -e
if [ "$code" -ne 2 ] || [ "$(wc -l <"$work/err.txt")" -ne 1 ] || [ -s "$work/out.txt" ]; then
  echo "FAIL inventory --xml: exit $code, stderr '$(cat "$work/err.txt")'"; exit 1
fi
echo "ok   inventory --xml is a usage error"
