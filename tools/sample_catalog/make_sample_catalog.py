#!/usr/bin/env python3
"""The sample driver catalog of the demo machine office-pc-2007.

Writes real driver packages (ZIP made with Debian's `zip`, CAB with `gcab`)
whose INF files install under Wine's SetupAPI, modelled on the fixture
packages in tests/fixtures/drivers/ but with newer DriverVer dates, plus the
sidecar files the service reads beside a package. Together with the machine
they make the demo's story:

  * newer packages for about a dozen of the machine's devices, some matched
    through a compatible ID only;
  * a newer package for a device the inventory leaves out (an imaging device),
    which the program must never be offered;
  * packages older than, or as old as, the installed drivers, never offered;
  * an INF in a subfolder of its package (answered as Extract\\WinXP\\x.inf).

What the program must show is written once, in expected_offers.txt beside this
script (the office machine), and in expected_offers_win10_desktop.txt (the
Windows 10 desktop, as Windows XP, 7 and 10 each see it).

  make_sample_catalog.py images
      one line per driver image to build: PACKAGE_ID|IMAGE|COMPANY|DESCRIPTION|VERSION
  make_sample_catalog.py build --images DIR --out DIR [--zip PATH] [--gcab PATH]
      writes the packages below --out (one folder per vendor); the images are
      read from DIR/PACKAGE_ID/IMAGE.sys. Files of earlier builds that are no
      package any more are removed.

The output is deterministic: every file inside a package carries the same
fixed time stamp, entries are stored in a fixed order, and a package file is
only rewritten when its bytes change, so MD5 values stay the same from one
build to the next.
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
from dataclasses import dataclass, field

# 2008-06-30 12:00:00 UTC: the time stamp of every file inside a package.
FIXED_TIME = 1214827200

CLASS_GUIDS = {
    "System": "{4d36e97d-e325-11ce-bfc1-08002be10318}",
    "hdc": "{4d36e96a-e325-11ce-bfc1-08002be10318}",
    "Display": "{4d36e968-e325-11ce-bfc1-08002be10318}",
    "MEDIA": "{4d36e96c-e325-11ce-bfc1-08002be10318}",
    "Net": "{4d36e972-e325-11ce-bfc1-08002be10318}",
    "USB": "{36fc9e60-c465-11cf-8056-444553540000}",
    "Monitor": "{4d36e96e-e325-11ce-bfc1-08002be10318}",
    "Image": "{6bdd1fc6-810f-11d0-bec7-08002be2092f}",
    "SCSIAdapter": "{4d36e97b-e325-11ce-bfc1-08002be10318}",
    "Bluetooth": "{e0cbf06c-cd8b-4647-bb8a-263b43f0f974}",
    "SDHost": "{a0a588a4-c46f-4b37-b7ea-c82fe89870c6}",
}


@dataclass
class Package:
    file: str          # path below the packages folder, "/" separated
    inf: str           # the INF's path inside the package, "/" separated
    klass: str         # setup class (a key of CLASS_GUIDS)
    provider: str
    driver_ver: str    # DriverVer: "MM/DD/YYYY,VERSION"
    image: str         # the driver image (and service) name
    company: str       # the image's CompanyName
    description: str   # the image's FileDescription and the package's title
    section: str       # install section shared by every model
    models: list       # (device description, hardware or compatible ID)
    sidecar: dict = field(default_factory=dict)
    # The models sections: (decoration, indices into models). By default one
    # NTx86 and one NTamd64 section with every model, as the fixture INFs have.
    sections: list = field(default_factory=lambda: [("NTx86", None), ("NTamd64", None)])
    extra_files: dict = field(default_factory=dict)  # name inside the package -> text

    @property
    def package_id(self):
        stem = self.file.rsplit(".", 1)[0]
        return "".join(c if c.isalnum() else "_" for c in stem)

    @property
    def version(self):
        return self.driver_ver.split(",", 1)[1]


PACKAGES = [
    # Offered: seven chipset devices, six through their matching device ID and
    # the SMBus controller, which has no driver, through a compatible ID.
    Package(
        file="intel/ich7_chipset_8.3.1.1009.zip", inf="ich7.inf", klass="System",
        provider="Intel", driver_ver="04/10/2008,8.3.1.1009",
        image="ich7fx", company="Intel Corporation",
        description="Intel 945G/ICH7 chipset support", section="ich7_inst",
        models=[
            ("Intel(R) 945G/GZ/P/PL Processor to I/O Controller - 2770", r"PCI\VEN_8086&DEV_2770"),
            ("Intel(R) 945G/GZ/P/PL PCI Express Root Port - 2771", r"PCI\VEN_8086&DEV_2771"),
            ("Intel(R) 82801G (ICH7 Family) PCI Express Root Port - 27D0", r"PCI\VEN_8086&DEV_27D0"),
            ("Intel(R) 82801G (ICH7 Family) PCI Express Root Port - 27D2", r"PCI\VEN_8086&DEV_27D2"),
            ("Intel(R) 82801 PCI Bridge - 244E", r"PCI\VEN_8086&DEV_244E"),
            ("Intel(R) 82801GB/GR (ICH7 Family) LPC Interface Controller - 27B8", r"PCI\VEN_8086&DEV_27B8"),
            ("Intel(R) 82801G (ICH7 Family) SMBus Controller - 27DA", r"PCI\VEN_8086&DEV_27DA"),
        ],
        sidecar={"signer": "Intel Corporation"},
        extra_files={"readme.txt": "Intel(R) Chipset Device Software 8.3.1.1009 for the 945G/ICH7 family.\r\n"}),
    # Offered: the HD audio bus controller, matched through its hardware ID
    # without the subsystem (its matching device ID is the generic class ID).
    Package(
        file="microsoft/hdaudio_bus_5.10.1.5019.cab", inf="hdaudbus.inf", klass="System",
        provider="Microsoft", driver_ver="11/09/2006,5.10.1.5019",
        image="hdabusfx", company="Microsoft Corporation",
        description="High Definition Audio bus driver", section="hdaudbus",
        models=[("Microsoft UAA Bus Driver for High Definition Audio", r"PCI\VEN_8086&DEV_27D8")],
        sidecar={"signer": "Microsoft Windows Hardware Compatibility Publisher"}),
    # Offered: both ICH7 storage controllers; a CAB whose INF is in a folder.
    Package(
        file="intel/ich7_storage_8.2.0.1014.cab", inf="Drivers/ich7ide.inf", klass="hdc",
        provider="Intel", driver_ver="09/12/2007,8.2.0.1014",
        image="ich7idefx", company="Intel Corporation",
        description="Intel ICH7 storage controller driver", section="ich7ide",
        models=[
            ("Intel(R) 82801G (ICH7 Family) Ultra ATA Storage Controllers - 27DF", r"PCI\VEN_8086&DEV_27DF"),
            ("Intel(R) 82801GB/GR/GH (ICH7 Family) Serial ATA Storage Controller - 27C0", r"PCI\VEN_8086&DEV_27C0"),
        ]),
    # Offered: the display adapter; the older package of the same adapter is not.
    Package(
        file="nvidia/geforce_7300_6.14.11.7412.zip", inf="nv_disp.inf", klass="Display",
        provider="NVIDIA", driver_ver="03/25/2008,6.14.11.7412",
        image="nvfx", company="NVIDIA Corporation",
        description="NVIDIA display miniport", section="nv_inst",
        models=[("NVIDIA GeForce 7300 GS", r"PCI\VEN_10DE&DEV_01DF")]),
    Package(
        file="nvidia/geforce_7300_6.14.10.8421.zip", inf="nv_disp.inf", klass="Display",
        provider="NVIDIA", driver_ver="08/04/2005,6.14.10.8421",
        image="nvfx", company="NVIDIA Corporation",
        description="NVIDIA display miniport", section="nv_inst",
        models=[("NVIDIA GeForce 7300 GS", r"PCI\VEN_10DE&DEV_01DF")]),
    # Offered: the audio codec, through its compatible ID with the revision.
    Package(
        file="realtek/hdaudio_r190_5.10.0.5575.cab", inf="rtkhda.inf", klass="MEDIA",
        provider="Realtek Semiconductor Corp.", driver_ver="03/14/2008,5.10.0.5575",
        image="rtkhdafx", company="Realtek Semiconductor Corp.",
        description="Realtek High Definition Audio function driver", section="rtkhda",
        models=[("Realtek High Definition Audio", r"HDAUDIO\FUNC_01&VEN_10EC&DEV_0883&REV_1000")],
        sidecar={"signer": "Realtek Semiconductor Corp."}),
    # Offered: the network adapter (its driver names no matching device ID, so
    # only its compatible IDs are tried); the INF lies in a subfolder. The
    # older package is not offered.
    Package(
        file="realtek/rtl8168_5.700.603.2008.zip", inf="WinXP/rtl8168.inf", klass="Net",
        provider="Realtek", driver_ver="06/03/2008,5.700.603.2008",
        image="rtl8168fx", company="Realtek Semiconductor Corporation",
        description="Realtek RTL8168/8111 PCI-E Gigabit Ethernet NIC driver", section="rtl8168",
        models=[("Realtek RTL8168/8111 PCI-E Gigabit Ethernet NIC", r"PCI\VEN_10EC&DEV_8168")],
        extra_files={"readme.txt": "Realtek RTL8168/8111 driver 5.700.603.2008 for Windows XP.\r\n"}),
    Package(
        file="realtek/rtl8168_5.640.531.2006.zip", inf="WinXP/rtl8168.inf", klass="Net",
        provider="Realtek", driver_ver="05/31/2006,5.640.531.2006",
        image="rtl8168fx", company="Realtek Semiconductor Corporation",
        description="Realtek RTL8168/8111 PCI-E Gigabit Ethernet NIC driver", section="rtl8168",
        models=[("Realtek RTL8168/8111 PCI-E Gigabit Ethernet NIC", r"PCI\VEN_10EC&DEV_8168")]),
    # Offered: the monitor, which has no compatible IDs at all.
    Package(
        file="dell/monitor_1907fp_1.0.0.1.zip", inf="dell1907.inf", klass="Monitor",
        provider="Dell Inc.", driver_ver="05/22/2007,1.0.0.1",
        image="monitorfx", company="Microsoft Corporation",
        description="Monitor driver", section="dell1907",
        models=[("Dell 1907FP (Digital)", r"Monitor\DELA01B")],
        sidecar={"signer": "Dell Inc."}),
    # The Windows 10 desktop (win10-desktop): packages made for Windows 10 only,
    # as most of today's are, which a system that does not tell the service its
    # exact version is never offered.
    Package(
        file="intel/i219_net_12.19.1.37.zip", inf="i219.inf", klass="Net",
        provider="Intel", driver_ver="06/15/2021,12.19.1.37",
        image="e1d68fx", company="Intel Corporation",
        description="Intel Ethernet Connection I219-V driver", section="e1d_inst",
        models=[("Intel(R) Ethernet Connection (2) I219-V", r"PCI\VEN_8086&DEV_15BC")],
        sections=[("NTamd64.10.0...16299", None)]),
    Package(
        file="samsung/nvme_3.3.0.2003.zip", inf="secnvme.inf", klass="SCSIAdapter",
        provider="Samsung Electronics Co., Ltd.", driver_ver="03/30/2020,3.3.0.2003",
        image="secnvmefx", company="Samsung Electronics Co., Ltd.",
        description="Samsung NVMe controller driver", section="secnvme",
        models=[("Samsung NVMe Controller", r"PCI\VEN_144D&DEV_A808")],
        sections=[("NTamd64.10.0...17763", None)]),
    # One package for two adapters: the older one in the plain x64 section, the
    # newer one only from Windows 10 2004 (build 19041) on.
    Package(
        file="intel/bluetooth_22.100.0.3.zip", inf="ibtusb.inf", klass="Bluetooth",
        provider="Intel Corporation", driver_ver="11/02/2021,22.100.0.3",
        image="ibtusbfx", company="Intel Corporation",
        description="Intel Wireless Bluetooth driver", section="ibtusb",
        models=[("Intel(R) Wireless Bluetooth(R) (7265)", r"USB\VID_8087&PID_0A2A"),
                ("Intel(R) Wireless Bluetooth(R)", r"USB\VID_8087&PID_0026")],
        sections=[("NTamd64", [0]), ("NTamd64.10.0...19041", [0, 1])]),
    # Offered everywhere: the classic NTx86 and NTamd64 sections.
    Package(
        file="realtek/hdaudio_alc256_6.0.8924.1.zip", inf="hdxrt.inf", klass="MEDIA",
        provider="Realtek Semiconductor Corp.", driver_ver="04/13/2020,6.0.8924.1",
        image="rtkvhd64fx", company="Realtek Semiconductor Corp.",
        description="Realtek High Definition Audio driver", section="rtkvhd",
        models=[("Realtek Audio", r"HDAUDIO\FUNC_01&VEN_10EC&DEV_0256&SUBSYS_10280798")]),
    # From Windows 7 on: no XP.
    Package(
        file="realtek/cardreader_10.0.370.zip", inf="rtsper.inf", klass="SDHost",
        provider="Realtek Semiconductor Corp.", driver_ver="12/05/2019,10.0.370.0",
        image="rtsperfx", company="Realtek Semiconductor Corp.",
        description="Realtek PCIE card reader driver", section="rtsper",
        models=[("Realtek PCIE CardReader", r"PCI\VEN_10EC&DEV_525A")],
        sections=[("NTx86.6.1", None), ("NTamd64.6.1", None)]),
    # Not offered: dated the same day as the installed USB controller drivers.
    Package(
        file="intel/ich7_usb_5.1.2600.2180.zip", inf="usbich7.inf", klass="USB",
        provider="Microsoft", driver_ver="07/01/2001,5.1.2600.2180",
        image="usbuhcifx", company="Microsoft Corporation",
        description="USB host controller miniport", section="uhci",
        models=[
            ("Intel(R) 82801G (ICH7 Family) USB Universal Host Controller - 27C8", r"PCI\VEN_8086&DEV_27C8"),
            ("Intel(R) 82801G (ICH7 Family) USB Universal Host Controller - 27C9", r"PCI\VEN_8086&DEV_27C9"),
            ("Intel(R) 82801G (ICH7 Family) USB Universal Host Controller - 27CA", r"PCI\VEN_8086&DEV_27CA"),
            ("Intel(R) 82801G (ICH7 Family) USB Universal Host Controller - 27CB", r"PCI\VEN_8086&DEV_27CB"),
        ]),
    # Not offered to the program: the scanner is an imaging device, which the
    # inventory leaves out, so it is never part of the request.
    Package(
        file="canon/lide25_wia_10.0.0.1.cab", inf="lide25.inf", klass="Image",
        provider="Canon", driver_ver="03/03/2008,10.0.0.1",
        image="canonscanfx", company="CANON INC.",
        description="Canon scanner WIA driver", section="lide25",
        models=[("CanoScan LiDE 25", r"USB\VID_04A9&PID_2220")]),
]


def inf_text(p):
    """The package's INF, shaped like the fixture INFs (CR LF line ends)."""
    def models(indices):
        chosen = range(len(p.models)) if indices is None else indices
        return "".join(f"%Dev{i}% = {p.section}, {p.models[i][1]}\n" for i in chosen)
    decorations = ",".join(decoration for decoration, _ in p.sections)
    sections = "\n".join(f"[Models.{decoration}]\n{models(indices)}" for decoration, indices in p.sections)
    devices = "".join(f'Dev{i}="{name}"\n' for i, (name, _) in enumerate(p.models))
    text = f"""; Sample driver package of the Velkor demo catalog ({p.description}).
; Made for the demo and tests; its image does nothing.

[Version]
Signature="$Windows NT$"
Class={p.klass}
ClassGuid={CLASS_GUIDS[p.klass]}
Provider=%Provider%
DriverVer={p.driver_ver}

[Manufacturer]
%Mfg%=Models,{decorations}

{sections}
[DestinationDirs]
DefaultDestDir=12

[SourceDisksNames]
1=%Disk%,,,

[SourceDisksFiles]
{p.image}.sys=1

[Files.Driver]
{p.image}.sys

[{p.section}.NT]
CopyFiles=Files.Driver

[{p.section}.NT.Services]
AddService={p.image},0x00000002,Service.{p.image}

[Service.{p.image}]
DisplayName=%Svc.{p.image}%
ServiceType=1
StartType=3
ErrorControl=1
ServiceBinary=%12%\\{p.image}.sys

[Strings]
Provider="{p.provider}"
Mfg="{p.provider}"
Disk="{p.provider} Installation Disk"
{devices}Svc.{p.image}="{p.description} ({p.image})"
"""
    return text.replace("\n", "\r\n").encode("ascii")


def stage(p, images, folder):
    """Writes the package's files into folder; returns their relative names in order."""
    inf_dir = os.path.dirname(p.inf)
    files = {p.inf: inf_text(p)}
    with open(os.path.join(images, p.package_id, p.image + ".sys"), "rb") as image:
        files[os.path.join(inf_dir, p.image + ".sys").replace(os.sep, "/")] = image.read()
    for name, text in p.extra_files.items():
        files[name] = text.encode("ascii")
    names = sorted(files)
    for name in names:
        path = os.path.join(folder, *name.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(files[name])
        os.utime(path, (FIXED_TIME, FIXED_TIME))
    return names


def pack(p, names, folder, target, tools):
    env = dict(os.environ, TZ="UTC")  # both tools store local times
    if p.file.endswith(".zip"):
        # -X: no extra attributes (owner, extended times); -D: no folder entries.
        command = [tools.zip, "-q", "-X", "-D", "-9", target] + names
    else:
        command = [tools.gcab, "-c", "-z", target] + names
    subprocess.run(command, cwd=folder, env=env, check=True)


def replace_if_changed(path, data):
    try:
        with open(path, "rb") as old:
            if old.read() == data:
                return
    except FileNotFoundError:
        pass
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path + ".new", "wb") as out:
        out.write(data)
    os.replace(path + ".new", path)


def build(args):
    wanted = set()
    with tempfile.TemporaryDirectory() as work:
        for index, p in enumerate(PACKAGES):
            folder = os.path.join(work, str(index))
            names = stage(p, args.images, folder)
            target = os.path.join(work, f"{index}.{p.file.rsplit('.', 1)[1]}")
            pack(p, names, folder, target, args)
            with open(target, "rb") as packed:
                destination = os.path.join(args.out, *p.file.split("/"))
                replace_if_changed(destination, packed.read())
            wanted.add(p.file)
            if p.sidecar:
                text = json.dumps(p.sidecar, indent=2, sort_keys=True) + "\n"
                replace_if_changed(destination + ".json", text.encode("utf-8"))
                wanted.add(p.file + ".json")
    # Whatever an earlier build left that is no package of this table goes.
    for root, _, files in os.walk(args.out):
        for name in files:
            relative = os.path.relpath(os.path.join(root, name), args.out).replace(os.sep, "/")
            if relative not in wanted:
                os.remove(os.path.join(root, name))
    print(f"sample catalog: {len(PACKAGES)} packages in {args.out}")


def list_images():
    for p in PACKAGES:
        print("|".join([p.package_id, p.image, p.company, p.description, p.version]))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    commands = parser.add_subparsers(dest="command", required=True)
    commands.add_parser("images")
    build_args = commands.add_parser("build")
    build_args.add_argument("--images", required=True)
    build_args.add_argument("--out", required=True)
    build_args.add_argument("--zip", default=shutil.which("zip") or "zip")
    build_args.add_argument("--gcab", default=shutil.which("gcab") or "gcab")
    args = parser.parse_args()
    if args.command == "images":
        list_images()
    else:
        build(args)
    return 0


if __name__ == "__main__":
    sys.exit(main())
