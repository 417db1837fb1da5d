#!/usr/bin/env python3
"""Checks a backup archive against the machine it was taken on.

    check_backup.py INVENTORY.json ARCHIVE PREFIX FIXTURE_DRIVERS [--devices N,N,...]

INVENTORY is what `velkorctl inventory --json` listed, ARCHIVE the backup, PREFIX
the Wine prefix (its drive_c is drive C:), FIXTURE_DRIVERS the folder of the
fixture driver packages. With --devices only those device numbers were backed
up; otherwise every device.

The archive must test clean, hold index.dat and one folder per backed-up
device that has an INF file at its top, each file of a folder must be
byte-equal to a file of that name installed below C:\\windows, each installed
file of a device's package must be in its folder, and index.dat, read here
with a reader of its own, must hold one record per device name with the
inventory's eleven texts.
"""
import configparser
import json
import os
import struct
import sys
import zipfile

TEXTS = ["Name", "InfPath", "DriverVersion", "ClassDescription", "Spare", "Provider", "HardwareId",
         "DriverKey", "DriverDate", "Service", "Signer"]


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def read_index(data):
    """The index's records: eleven texts, the tag, the folder, the sequence number."""
    pos = 0

    def take(size):
        nonlocal pos
        if pos + size > len(data):
            fail(f"index.dat ends inside a record at byte {pos}")
        piece = data[pos:pos + size]
        pos += size
        return piece

    def text():
        (units,) = struct.unpack("<H", take(2))
        return take(units * 2).decode("utf-16-le")

    (header,) = struct.unpack("<I", take(4))
    if header != 11:
        fail(f"index.dat header {header}")
    records = []
    while pos < len(data):
        texts = [text() for _ in TEXTS]
        (tag,) = struct.unpack("<i", take(4))
        folder = text()
        (sequence,) = struct.unpack("<I", take(4))
        records.append({"texts": dict(zip(TEXTS, texts)), "tag": tag, "folder": folder, "sequence": sequence})
    return records


def folder_name(name):
    """A device's folder: its trimmed name without the characters a file name cannot hold."""
    kept = "".join(c for c in name.strip() if c not in '\\/:*?<>|')
    return kept.rstrip(". \t\r\n\v\f")


def installed_files(prefix):
    """Every file below C:\\windows by lower-cased name."""
    files = {}
    for folder, _, names in os.walk(os.path.join(prefix, "drive_c", "windows")):
        for name in names:
            files.setdefault(name.lower(), []).append(os.path.join(folder, name))
    return files


def package_files(fixtures):
    """The files each fixture package names, by the package INF's lower-cased name."""
    packages = {}
    for package in os.listdir(fixtures):
        folder = os.path.join(fixtures, package)
        for name in os.listdir(folder) if os.path.isdir(folder) else []:
            if not name.lower().endswith(".inf"):
                continue
            parser = configparser.ConfigParser(strict=False, allow_no_value=True, delimiters=("=",),
                                               comment_prefixes=(";",), interpolation=None)
            parser.optionxform = str
            with open(os.path.join(folder, name), encoding="latin-1") as f:
                parser.read_string(f.read())
            listed = parser.options("SourceDisksFiles") if parser.has_section("SourceDisksFiles") else []
            packages[name.lower()] = [n.strip().lower() for n in listed]
    return packages


def main():
    args = sys.argv[1:]
    chosen = None
    if "--devices" in args:
        at = args.index("--devices")
        chosen = {int(n) for n in args[at + 1].split(",")}
        del args[at:at + 2]
    inventory_path, archive_path, prefix, fixtures = args
    inventory = json.load(open(inventory_path, encoding="utf-8"))
    devices = [d for d in inventory if chosen is None or d["number"] in chosen]
    with_inf = [d for d in devices if d["InfPath"]]
    if not with_inf:
        fail("no device with an INF file was backed up")

    archive = zipfile.ZipFile(archive_path)
    bad = archive.testzip()
    if bad is not None:
        fail(f"entry {bad} does not test clean")
    names = archive.namelist()
    tops = {n.split("/")[0] for n in names}
    expected_tops = {folder_name(d["Name"]) for d in with_inf} | {"index.dat"}
    if tops != expected_tops:
        fail(f"top of the archive {sorted(tops)}, expected {sorted(expected_tops)}")
    print(f"ok   top of the archive: index.dat and {len(tops) - 1} device folders")

    # The index: one record per name, in device order, with the inventory's texts.
    records = read_index(archive.read("index.dat"))
    first_of_name = {}
    for d in with_inf:
        first_of_name.setdefault(d["Name"], d)
    if [r["texts"]["Name"] for r in records] != list(first_of_name):
        fail(f"index names {[r['texts']['Name'] for r in records]}, expected {list(first_of_name)}")
    for number, record in enumerate(records, start=1):
        device = first_of_name[record["texts"]["Name"]]
        for field in TEXTS:
            if record["texts"][field] != device[field]:
                fail(f"{device['Name']}: index {field} '{record['texts'][field]}', inventory '{device[field]}'")
        if record["tag"] != 0 or record["sequence"] != number or record["folder"] != folder_name(device["Name"]) + "\\":
            fail(f"{device['Name']}: tag {record['tag']}, sequence {record['sequence']}, folder '{record['folder']}'")
    print(f"ok   index.dat: {len(records)} records with the inventory's eleven texts, numbered 1 to {len(records)}")

    # Every file as installed, and every installed file of the package there.
    installed = installed_files(prefix)
    packages = package_files(fixtures)
    by_folder = {}
    for entry in names:
        if "/" not in entry:
            continue
        folder, _, name = entry.partition("/")
        if "/" in name:
            fail(f"a folder inside a device folder: {entry}")
        data = archive.read(entry)
        sources = installed.get(name.lower(), [])
        if not any(open(s, "rb").read() == data for s in sources):
            fail(f"{entry} equals no installed file of that name ({len(sources)} candidates)")
        by_folder.setdefault(folder, set()).add(name.lower())
    files = sum(len(v) for v in by_folder.values())
    print(f"ok   {files} files, each byte-equal to the installed one")
    for d in with_inf:
        inf = d["InfPath"].replace("/", "\\").split("\\")[-1].lower()
        held = by_folder.get(folder_name(d["Name"]), set())
        wanted = [inf] + [n for n in packages.get(inf, []) if n in installed]
        missing = [n for n in wanted if n not in held]
        if missing:
            fail(f"{d['Name']}: {missing} not in its folder (holds {sorted(held)})")
    print(f"ok   every device's INF and installed package files are in its folder")


main()
