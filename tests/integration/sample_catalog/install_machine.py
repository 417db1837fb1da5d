#!/usr/bin/env python3
"""A test machine that installs every package of the sample catalog.

  install_machine.py PACKAGES_DIR WORK_DIR

Unpacks each package (ZIP with Python's reader, CAB with gcab) below WORK_DIR
and writes WORK_DIR/machine.json: one device per model ID of each package's
INF, in the INF's class, with the unpacked INF as its driver package, for
testmachine to install through plug-and-play. Prints one line per device:
"package|ID", and "package|" on standard error for each package that has no
plain NTamd64 section (Wine's SetupAPI cannot install those).
"""

import json
import os
import re
import subprocess
import sys
import zipfile


def unpack(package, target):
    os.makedirs(target, exist_ok=True)
    if package.endswith(".zip"):
        with zipfile.ZipFile(package) as archive:
            archive.extractall(target)
    else:
        subprocess.run(["gcab", "-x", "-C", target, package], check=True, stdout=subprocess.DEVNULL)


def inf_devices(inf_path):
    """(class GUID, [(description key, ID)]) of the INF's plain 64-bit models
    section; no models when it has none."""
    text = open(inf_path, encoding="ascii").read().replace("\r\n", "\n")
    guid = re.search(r"^ClassGuid=(\{[^}]+\})", text, re.M).group(1)
    section = re.search(r"^\[Models\.NTamd64\]\n(.*?)(?:\n\[|\Z)", text, re.M | re.S)
    models = re.findall(r"^%(\w+)%\s*=\s*[^,]+,\s*(\S+)\s*$", section.group(1), re.M) if section else []
    strings = dict(re.findall(r'^(\w+)="([^"]*)"', text, re.M))
    return guid, [(strings.get(key, key), hardware_id) for key, hardware_id in models]


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    packages, work = sys.argv[1:]
    devices = []
    for root, _, files in sorted(os.walk(packages)):
        for name in sorted(files):
            if not name.endswith((".zip", ".cab")):
                continue
            package = os.path.join(root, name)
            relative = os.path.relpath(package, packages).replace(os.sep, "/")
            target = os.path.join(work, "unpacked", relative)
            unpack(package, target)
            infs = [os.path.join(r, f) for r, _, fs in os.walk(target) for f in fs if f.lower().endswith(".inf")]
            if len(infs) != 1:
                sys.exit(f"{relative}: {len(infs)} INF files")
            guid, models = inf_devices(infs[0])
            if not models:
                # Wine 8.0's SetupAPI installs from undecorated and plain
                # architecture sections only: a package made for Windows 10 (or 7)
                # alone is left out here.
                print(f"{relative}|", file=sys.stderr)
            for description, hardware_id in models:
                devices.append({"class_guid": guid, "hardware_ids": [hardware_id],
                                "device_desc": description,
                                "driver": {"package": os.path.relpath(infs[0], work)}})
                print(f"{relative}|{hardware_id}")
    with open(os.path.join(work, "machine.json"), "w", encoding="utf-8") as out:
        json.dump({"windows": "winxp", "devices": devices}, out, indent=2)


if __name__ == "__main__":
    main()
