#!/usr/bin/env python3
"""Checks what `velkorctl download --json` reported against the sample catalog.

  check_downloads.py REPORT SETTINGS EXPECTED PACKAGES PREFIX

REPORT: the JSON array of devices (device, name, state, path). SETTINGS:
`velkorctl settings --json`, whose "downloadList" is Download.dat as the
program reads it. EXPECTED: the offers ("name|hardware ID|package|version").
PACKAGES: the catalog's packages folder. PREFIX: the Wine prefix (C: is its
drive_c). Every offered device must be "downloaded", its file must be the
package byte for byte (same MD5) and its extension the package's, devices of
one package must share one file, and Download.dat must list each file under
the device's key.
"""

import hashlib
import json
import os
import sys


def windows_to_unix(prefix, path):
    assert path[:3].upper() == "C:\\", path
    return os.path.join(prefix, "drive_c", *path[3:].split("\\"))


def md5(path):
    digest = hashlib.md5()
    with open(path, "rb") as data:
        for piece in iter(lambda: data.read(1 << 20), b""):
            digest.update(piece)
    return digest.hexdigest()


def main():
    report_path, settings_path, expected_path, packages, prefix = sys.argv[1:]
    report = json.load(open(report_path, encoding="utf-8"))
    listed = json.load(open(settings_path, encoding="utf-8"))["downloadList"]
    offers = {}
    for line in open(expected_path, encoding="utf-8"):
        if line.strip() and not line.startswith("#"):
            name, _, package, _ = line.rstrip("\n").split("|")
            offers[name] = package
    problems = []
    by_name = {entry["name"]: entry for entry in report}
    if sorted(by_name) != sorted(offers):
        problems.append(f"devices {sorted(by_name)} != offered {sorted(offers)}")
    files_of_package = {}
    for name, package in offers.items():
        entry = by_name.get(name)
        if entry is None:
            continue
        if entry["state"] != "downloaded":
            problems.append(f"{name}: {entry['state']} {entry.get('report', '')}")
            continue
        path = entry["path"]
        local = windows_to_unix(prefix, path)
        if not os.path.isfile(local):
            problems.append(f"{name}: {path} missing")
            continue
        if md5(local) != md5(os.path.join(packages, package)):
            problems.append(f"{name}: {path} is not {package}")
        if os.path.splitext(path)[1] != os.path.splitext(package)[1]:
            problems.append(f"{name}: extension of {path} is not that of {package}")
        files_of_package.setdefault(package, set()).add(path.lower())
        if path not in listed.values():
            problems.append(f"{name}: {path} not in Download.dat")
    for package, files in files_of_package.items():
        if len(files) != 1:
            problems.append(f"{package} saved {len(files)} times: {sorted(files)}")
    if len(listed) != len(offers):
        problems.append(f"Download.dat has {len(listed)} entries, {len(offers)} offered")
    for problem in problems:
        print("  " + problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
