#!/usr/bin/env python3
"""Driver packages of every kind for the package install tests under Wine.

Each package installs one fixture driver for one device of the machine this
script also writes (install-pc.json): a ZIP, a CAB with subfolders (gcab), a
RAR (Debian's rar), a self-extracting ZIP setup (a ZIP appended to a small
program of ours, offsets adjusted with zip -A), a setup that 7-Zip unpacks
(7-Zip's console self-extracting module with a 7z archive), and a setup program
that is no archive (the same small program, which records its command line).
Beside them: damaged packages, cabinets and RAR archives with hostile names,
a set of three cabinets that continue one another, and two versions of one
driver (the newer one installed on the machine, the older one packed) for the
forced install of the update tool.

  make_install_packages.py images
      one line per driver image: PACKAGE_ID|IMAGE|COMPANY|DESCRIPTION|VERSION
  make_install_packages.py build --images DIR --out DIR --recorder EXE --sfx 7zCon.sfx
      [--zip PATH] [--gcab PATH] [--rar PATH] [--sevenzip PATH]
      writes OUT/packages/, OUT/unpacked/<package>/ (what each package holds)
      and OUT/install-pc.json; the images are read from DIR/PACKAGE_ID/IMAGE.sys.
"""

import argparse
import dataclasses
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib
from dataclasses import dataclass

# The INF text, the staging of a package's files and the ZIP and CAB packing are
# the sample catalog's; this script adds the kinds the catalog does not have.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "tools",
                                "sample_catalog"))
import make_sample_catalog as catalog  # noqa: E402


@dataclass
class Install:
    key: str              # the package's name in the tests (and its folder below unpacked/)
    kind: str             # zip, cab, rar, sfxzip, sevenzip
    package: catalog.Package
    packed: bool = True   # False: only staged (installed on the machine, or read by the tool)
    device: bool = True   # the machine has a device for it

    @property
    def hardware_id(self):
        return self.package.models[0][1]


def driver(key, file, kind, inf, klass, hardware_id, image, company, description, driver_ver,
           packed=True, device=True, extra_files=None):
    return Install(key, kind, catalog.Package(
        file=file, inf=inf, klass=klass, provider=company, driver_ver=driver_ver, image=image,
        company=company, description=description, section="drv_inst", models=[(description, hardware_id)],
        extra_files=extra_files or {}), packed, device)


PACKAGES = [
    driver("zip", "velkor_nic.zip", "zip", "nic.inf", "Net", r"PCI\VEN_10EC&DEV_8139",
           "vknicfx", "Realtek Semiconductor Corporation", "Fast Ethernet adapter", "05/12/2008,6.1.0.1"),
    driver("cab", "velkor_display.cab", "cab", "Drivers/WinXP/display.inf", "Display", r"PCI\VEN_10DE&DEV_0392",
           "vkdispfx", "NVIDIA Corporation", "Display miniport", "03/25/2008,6.14.11.7500",
           extra_files={"Docs/ReadMe/readme.txt": "Display driver 6.14.11.7500.\r\n"}),
    driver("rar", "velkor_audio.rar", "rar", "Audio/audio.inf", "MEDIA", r"HDAUDIO\FUNC_01&VEN_10EC&DEV_0662",
           "vkaudfx", "Realtek Semiconductor Corp.", "Audio function driver", "03/14/2008,5.10.0.5600",
           extra_files={"Audio/Panel/panel.txt": "Audio panel.\r\n"}),
    driver("sfxzip", "velkor_chipset.exe", "sfxzip", "chipset.inf", "System", r"PCI\VEN_8086&DEV_2916",
           "vkchipfx", "Intel Corporation", "Chipset support", "04/10/2008,9.0.0.1008"),
    driver("sevenzip", "velkor_usb_setup.exe", "sevenzip", "usb/usb.inf", "USB", r"PCI\VEN_8086&DEV_2934",
           "vkusbfx", "Intel Corporation", "USB host controller miniport", "02/02/2008,9.0.0.1009"),
    # The newer driver is installed on the machine; the older one is only
    # staged, for the forced install of the update tool.
    driver("storage_new", "velkor_storage_new.zip", "zip", "storage.inf", "hdc", r"PCI\VEN_8086&DEV_2922",
           "vkstornewfx", "Intel Corporation", "Storage controller driver", "09/12/2008,8.5.0.1032",
           packed=False),
    driver("storage_old", "velkor_storage_old.zip", "zip", "storage.inf", "hdc", r"PCI\VEN_8086&DEV_2922",
           "vkstoroldfx", "Intel Corporation", "Storage controller driver", "09/12/2006,7.0.0.1011",
           packed=False, device=False),
    # An INF for a device the machine does not have.
    driver("orphan", "velkor_orphan.cab", "cab", "orphan.inf", "Net", r"PCI\VEN_1AF4&DEV_FFFF",
           "vkorphanfx", "Nobody", "Driver for no device", "01/01/2008,1.0.0.0", device=False),
]

# The setup program that is no archive, and its device.
SETUP_FILE = "velkor_monitor_setup.exe"
SETUP_DEVICE = ("Monitor", r"MONITOR\VKA0001")


def run(command, cwd):
    subprocess.run(command, cwd=cwd, check=True, env=dict(os.environ, TZ="UTC"),
                   stdout=subprocess.DEVNULL)


def pack(p, tools, folder, names, target, work):
    if p.kind in ("zip", "cab"):
        catalog.pack(p.package, names, folder, target, tools)
    elif p.kind == "rar":
        run([tools.rar, "a", "-idq", "-ma5", "-m3", target] + names, folder)
    elif p.kind == "sfxzip":
        archive = os.path.join(work, p.key + ".zip")
        catalog.pack(dataclasses.replace(p.package, file=archive), names, folder, archive, tools)
        concatenate([tools.recorder, archive], target)
        run([tools.zip, "-q", "-A", target], folder)
    elif p.kind == "sevenzip":
        archive = os.path.join(work, p.key + ".7z")
        run([tools.sevenzip, "a", "-bd", "-t7z", archive] + names, folder)
        concatenate([tools.sfx, archive], target)
    else:
        raise ValueError(p.kind)


def concatenate(parts, target):
    with open(target, "wb") as out:
        for part in parts:
            with open(part, "rb") as piece:
                out.write(piece.read())


# ----- cabinets written byte by byte: names and sets that gcab does not make

def dos_date(year, month, day):
    return ((year - 1980) << 9) | (month << 5) | day


def dos_time(hour, minute, second):
    return (hour << 11) | (minute << 5) | (second // 2)


@dataclass
class CabFile:
    name: bytes
    size: int
    offset: int      # offset in its folder's uncompressed data
    folder: int      # folder index, or 0xFFFD/0xFFFE continued from/to another cabinet
    attribs: int = 0x20
    date: int = dos_date(2007, 5, 14)
    time: int = dos_time(13, 37, 42)


def cabinet(folders, files, index, previous=None, following=None, set_id=0x5643):
    """One uncompressed cabinet. folders: per folder, its data blocks: bytes, or
    (bytes, uncompressed size) for the parts of a block split across cabinets."""
    flags = 0
    names = b""
    if previous:
        flags |= 0x1
        names += previous[0] + b"\0" + previous[1] + b"\0"
    if following:
        flags |= 0x2
        names += following[0] + b"\0" + following[1] + b"\0"
    header_size = 36 + len(names)
    files_offset = header_size + 8 * len(folders)
    file_entries = b"".join(
        struct.pack("<IIHHHH", f.size, f.offset, f.folder, f.date, f.time, f.attribs) + f.name + b"\0"
        for f in files)
    data_offset = files_offset + len(file_entries)
    folder_entries = b""
    data = b""
    for blocks in folders:
        folder_entries += struct.pack("<IHH", data_offset + len(data), len(blocks), 0)
        for block in blocks:
            # A block split across cabinets: its first part says 0 bytes
            # uncompressed, the part in the next cabinet the whole block's size.
            block, uncompressed = block if isinstance(block, tuple) else (block, len(block))
            data += struct.pack("<IHH", 0, len(block), uncompressed) + block
    total = data_offset + len(data)
    header = b"MSCF" + struct.pack("<IIIII", 0, total, 0, files_offset, 0) + bytes([3, 1])
    header += struct.pack("<HHHHH", len(folders), len(files), flags, set_id, index) + names
    return header + folder_entries + file_entries + data


def filler(letter, size):
    return (letter * size)[:size]


def write_cabinets(out):
    # Hostile names: only the ones that stay inside may be written.
    inside = b"rooted file\r\n"
    ok = b"kept read-only\r\n"
    accent = b"utf-8 name\r\n"
    escapes = [b"..\\outside1.txt", b"sub\\..\\..\\outside2.txt", b"C:\\outside3.txt", b"aux.txt"]
    blob = b"".join(filler(b"x", 10) for _ in escapes) + inside + ok + accent
    files = []
    offset = 0
    for name in escapes:
        files.append(CabFile(name, 10, offset, 0))
        offset += 10
    files.append(CabFile(b"\\rooted\\inside.txt", len(inside), offset, 0))
    offset += len(inside)
    files.append(CabFile(b"good\\ok.txt", len(ok), offset, 0, attribs=0x21,
                         date=dos_date(2007, 5, 14), time=dos_time(13, 37, 42)))
    offset += len(ok)
    files.append(CabFile("dossier\\été.txt".encode("utf-8"), len(accent), offset, 0, attribs=0x20 | 0x80))
    with open(os.path.join(out, "hostile.cab"), "wb") as f:
        f.write(cabinet([[blob]], files, 0))

    # Three cabinets: b.bin continues from the first into the second, in a
    # data block split between them (FDI follows a split block into the next
    # cabinet to finish the file it is extracting); the third follows the
    # second without any file crossing over.
    a, b, c, d = filler(b"A", 100), filler(b"B", 5000), filler(b"C", 300), filler(b"D", 200)
    first = cabinet([[a, (b[:900], 0)]],
                    [CabFile(b"span\\a.bin", len(a), 0, 0), CabFile(b"span\\b.bin", len(b), len(a), 0xFFFE)],
                    0, following=(b"span2.cab", b"Disk 2"))
    second = cabinet([[(b[900:], len(b))], [c]],
                     [CabFile(b"span\\b.bin", len(b), len(a), 0xFFFD), CabFile(b"span\\sub\\c.bin", len(c), 0, 1)],
                     1, previous=(b"span1.cab", b"Disk 1"), following=(b"span3.cab", b"Disk 3"))
    third = cabinet([[d]], [CabFile(b"span\\d.bin", len(d), 0, 0)], 2, previous=(b"span2.cab", b"Disk 2"))
    for name, data in (("span1.cab", first), ("span2.cab", second), ("span3.cab", third)):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
    # A cabinet naming a continuation outside its folder.
    escape = cabinet([[a, (b[:900], 0)]],
                     [CabFile(b"a.bin", len(a), 0, 0), CabFile(b"b.bin", len(b), len(a), 0xFFFE)],
                     0, following=(b"..\\span2.cab", b"Disk 2"))
    with open(os.path.join(out, "escape.cab"), "wb") as f:
        f.write(escape)


# ----- RAR archives with names rar itself never stores

def read_vint(data, pos):
    value = shift = 0
    while True:
        byte = data[pos]
        pos += 1
        value |= (byte & 0x7F) << shift
        shift += 7
        if not byte & 0x80:
            return value, pos


def rar5_patch(data, old, new):
    """Replaces a stored name (same length) and renews every header's CRC."""
    assert len(old) == len(new)
    data = bytearray(data.replace(old, new))
    pos = 8  # after the signature
    while pos < len(data):
        size, body = read_vint(data, pos + 4)
        end = body + size
        _, cursor = read_vint(data, body)          # header type
        flags, cursor = read_vint(data, cursor)
        if flags & 0x1:
            _, cursor = read_vint(data, cursor)    # extra area size
        data_size = 0
        if flags & 0x2:
            data_size, cursor = read_vint(data, cursor)
        struct.pack_into("<I", data, pos, zlib.crc32(bytes(data[pos + 4:end])) & 0xFFFFFFFF)
        pos = end + data_size
    return bytes(data)


def write_rar_archives(tools, out, work):
    folder = os.path.join(work, "rar-hostile")
    for name, text in (("zz/zz/outside.txt", "must not leave\r\n"), ("good/ok.txt", "kept\r\n")):
        path = os.path.join(folder, *name.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(text)
    plain = os.path.join(work, "hostile-plain.rar")
    run([tools.rar, "a", "-idq", "-ma5", "-m0", plain, "zz/zz/outside.txt", "good/ok.txt"], folder)
    with open(plain, "rb") as f:
        data = rar5_patch(f.read(), b"zz/zz/outside.txt", b"../../outside.txt")
    with open(os.path.join(out, "hostile.rar"), "wb") as f:
        f.write(data)

    # A link entry: never made, whatever it points at.
    folder = os.path.join(work, "rar-link")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "target.txt"), "w") as f:
        f.write("target\r\n")
    os.symlink("/etc", os.path.join(folder, "link"))
    run([tools.rar, "a", "-idq", "-ma5", "-ol", os.path.join(out, "link.rar"), "target.txt", "link"], folder)

    # The second of three entries is damaged: extraction stops there.
    folder = os.path.join(work, "rar-damaged")
    os.makedirs(folder, exist_ok=True)
    for name in ("1.txt", "2.txt", "3.txt"):
        with open(os.path.join(folder, name), "w") as f:
            f.write(name * 200)
    plain = os.path.join(work, "damaged-plain.rar")
    run([tools.rar, "a", "-idq", "-ma5", "-m0", plain, "1.txt", "2.txt", "3.txt"], folder)
    with open(plain, "rb") as f:
        data = bytearray(f.read())
    second = data.index(b"2.txt2.txt")
    data[second + 7] ^= 0xFF  # the stored data, not a header: the listing still reads
    with open(os.path.join(out, "damaged-entry.rar"), "wb") as f:
        f.write(data)


def write_damaged(tools, out, packages):
    """Damaged packages of each kind, made from good ones."""
    def truncated(source, target, keep):
        with open(os.path.join(packages, source), "rb") as f:
            data = f.read()
        with open(os.path.join(out, target), "wb") as f:
            f.write(data[:keep(len(data))])
    with open(os.path.join(out, "corrupt.zip"), "wb") as f:
        f.write(b"PK\x03\x04 this is no zip archive, only its first four bytes\r\n" * 4)
    truncated("velkor_audio.rar", "corrupt.rar", lambda n: 20)
    truncated("velkor_display.cab", "corrupt.cab", lambda n: n // 2)
    with open(os.path.join(out, "notacab.cab"), "wb") as f:
        f.write(b"plain text, not a cabinet\r\n")
    with open(os.path.join(out, "broken_setup.exe"), "wb") as f:
        f.write(b"neither a program nor an archive\r\n" * 8)


def machine():
    devices = []
    for p in PACKAGES:
        if not p.device:
            continue
        device = {"class_guid": catalog.CLASS_GUIDS[p.package.klass], "hardware_ids": [p.hardware_id],
                  "device_desc": p.package.description}
        if not p.packed:
            device["driver"] = {"package": f"unpacked/{p.key}/{p.package.inf}"}
        devices.append(device)
    devices.append({"class_guid": catalog.CLASS_GUIDS[SETUP_DEVICE[0]], "hardware_ids": [SETUP_DEVICE[1]],
                    "device_desc": "Monitor with a setup program"})
    return {"_note": "Written by make_install_packages.py; one device per install test package.",
            "devices": devices}


def build(args):
    out = args.out
    packages = os.path.join(out, "packages")
    unpacked = os.path.join(out, "unpacked")
    for folder in (packages, unpacked):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
    with tempfile.TemporaryDirectory() as work:
        for p in PACKAGES:
            folder = os.path.join(unpacked, p.key)
            names = catalog.stage(p.package, args.images, folder)
            if p.packed:
                pack(p, args, folder, names, os.path.join(packages, p.package.file), work)
        shutil.copyfile(args.recorder, os.path.join(packages, SETUP_FILE))
        write_cabinets(packages)
        write_rar_archives(args, packages, work)
        write_damaged(args, packages, packages)
    with open(os.path.join(out, "install-pc.json"), "w") as f:
        json.dump(machine(), f, indent=2)
        f.write("\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    commands = parser.add_subparsers(dest="command", required=True)
    commands.add_parser("images")
    b = commands.add_parser("build")
    b.add_argument("--images", required=True)
    b.add_argument("--out", required=True)
    b.add_argument("--recorder", required=True)
    b.add_argument("--sfx", required=True)
    b.add_argument("--zip", default=shutil.which("zip") or "zip")
    b.add_argument("--gcab", default=shutil.which("gcab") or "gcab")
    b.add_argument("--rar", default=shutil.which("rar") or "rar")
    b.add_argument("--sevenzip", default=shutil.which("7zz") or "7zz")
    args = parser.parse_args()
    if args.command == "images":
        for p in PACKAGES:
            q = p.package
            print("|".join([q.package_id, q.image, q.company, q.description, q.version]))
    else:
        build(args)
    return 0


if __name__ == "__main__":
    sys.exit(main())
