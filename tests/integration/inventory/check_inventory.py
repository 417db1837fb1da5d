#!/usr/bin/env python3
"""Checks a saved inventory (velkorctl inventory --json) against the machine
description it was made from, field by field.

usage: check_inventory.py DESCRIPTION.json INVENTORY.json [WINDOWS_FOLDER]

The oracle applies the product's listing rules to the description: devices of an
excluded setup class (when they have a driver key), generic hardware IDs and the
"Non-Plug and Play Drivers" class are left out; every other described device must
be listed once with the values its properties and class key hold. Devices that
Wine lists on its own (IDs not in the description) are allowed and printed.
"""
import json
import sys

CATEGORY = {
    "{50127dc3-0f36-415e-a6cc-4cb3be910b65}", "{25dbce51-6c8f-4a72-8a6d-b54c2b4fc835}",
    "{4658ee7e-f050-11d1-b6bd-00c04fa372a7}", "{48721b56-6795-11d2-b1a8-0080c72e74a2}",
    "{49ce6ac8-6f86-11d2-b1e5-0080c72e74a2}", "{4d36e966-e325-11ce-bfc1-08002be10318}",
    "{4d36e969-e325-11ce-bfc1-08002be10318}", "{4d36e978-e325-11ce-bfc1-08002be10318}",
    "{4d36e980-e325-11ce-bfc1-08002be10318}", "{50906cb8-ba12-11d1-bf5d-0000f805f530}",
    "{533c5b84-ec70-11d2-9505-00c04f79deaf}", "{71a27cdd-812a-11d0-bec7-08002be2092f}",
    "{72631e54-78a4-11d0-bcf7-00aa00b7b32a}", "{4d36e971-e325-11ce-bfc1-08002be10318}",
    "{50dd5230-ba8a-11d1-bf5d-0000f805f530}", "{66f250d6-7801-4a64-b139-eea80a450b24}",
    "{6bdd1fc5-810f-11d0-bec7-08002be2092f}", "{7ebefbc0-3200-11d2-b4c2-00a0c9697d07}",
    "{c06ff265-ae09-48f0-812c-16753d7cba83}", "{ce5939ae-ebde-11d0-b181-0000f8753ec4}",
    "{d45b1c18-c8fa-11d1-9f77-0000f805f530}", "{d48179be-ec20-11d1-b6b8-00c04fa372a7}",
    "{4d36e975-e325-11ce-bfc1-08002be10318}", "{4d36e974-e325-11ce-bfc1-08002be10318}",
    "{4d36e973-e325-11ce-bfc1-08002be10318}", "{6bdd1fc6-810f-11d0-bec7-08002be2092f}",
    "{6d807884-7d21-11cf-801c-08002be10318}",
}
GENERIC = ["acpi\\", "acpi_hal\\", "root\\", "storage\\", "ide\\", "umb\\", "pciide\\", "ms_",
           "pci\\cc_", "usb\\class_"]
INCLUDES = {"acpi\\pnp0a03", "acpi\\pnp0f03"}
FIELDS = ["Name", "InfPath", "DriverVersion", "ClassDescription", "Spare", "Provider", "HardwareId",
          "DriverKey", "DriverDate", "Service", "Signer", "ServerInfPath", "Md5", "ServerHardwareId",
          "MatchingIds", "Tag", "IsSpecificCase", "IsInstall"]


def generic_id(hardware_id):
    hid = hardware_id.lower()
    if not hid or hid in INCLUDES:
        return False
    return hid.startswith("*") or any(f in hid for f in GENERIC)


def main():
    description = json.load(open(sys.argv[1], encoding="utf-8"))
    inventory = json.load(open(sys.argv[2], encoding="utf-8"))
    failures = []

    def fail(message):
        failures.append(message)

    # The document itself: dense numbers, every field, the right types.
    for index, entry in enumerate(inventory):
        if entry.get("number") != index:
            fail(f"entry {index}: number {entry.get('number')!r}")
        keys = list(entry.keys())
        if keys != ["number"] + FIELDS:
            fail(f"entry {index}: keys {keys}")
        for field in FIELDS[:15]:
            if not isinstance(entry.get(field), str):
                fail(f"entry {index}: {field} is not a text")
        for field in FIELDS[15:]:
            if entry.get(field) != 0:
                fail(f"entry {index}: {field} = {entry.get(field)!r}, expected 0")
        for field in ("Spare", "ServerInfPath", "Md5", "ServerHardwareId"):
            if entry.get(field):
                fail(f"entry {index}: {field} should be empty")

    by_id = {}
    for entry in inventory:
        by_id.setdefault(entry["HardwareId"].lower(), []).append(entry)

    described = set()
    listed_count = 0
    for number, device in enumerate(description["devices"]):
        ids = device.get("hardware_ids", [])
        first = ids[0] if ids else ""
        described.add(first.lower())
        label = f"device {number} ({first})"
        entries = by_id.get(first.lower(), [])
        class_guid = device["class_guid"].lower()
        driver = device.get("driver")
        excluded = (generic_id(first)
                    or device.get("class_description") == "Non-Plug and Play Drivers")
        if class_guid in CATEGORY:
            # Left out through its driver key; without one it cannot be told apart.
            if entries and entries[0]["DriverKey"].lower().startswith(class_guid):
                fail(f"{label}: listed although its class is excluded")
            if entries or driver is None:
                print(f"note {label}: excluded class, listed={bool(entries)}")
            continue
        if excluded:
            if entries:
                fail(f"{label}: listed but should be left out")
            else:
                print(f"ok   {label}: left out")
            continue
        if len(entries) != 1:
            fail(f"{label}: listed {len(entries)} times")
            continue
        listed_count += 1
        e = entries[0]
        problems = []

        def expect(field, value):
            if e[field] != value:
                problems.append(f"{field} = {e[field]!r}, expected {value!r}")

        expect("Name", device.get("friendly_name") or device.get("device_desc") or "Unknown Device")
        expect("HardwareId", first)
        expect("Service", device.get("service", ""))
        if device.get("class_description"):
            expect("ClassDescription", device["class_description"])
        elif not e["ClassDescription"]:
            problems.append("ClassDescription is empty")
        driver = driver or {}
        expect("DriverVersion", driver.get("version", ""))
        if "date" in driver:
            expect("DriverDate", driver["date"])
        if "provider" in driver:
            expect("Provider", driver["provider"])
        if "inf_path" in driver and e["InfPath"]:
            if not e["InfPath"].lower().endswith("\\inf\\" + driver["inf_path"].lower()) and \
               e["InfPath"].lower() != driver["inf_path"].lower():
                problems.append(f"InfPath = {e['InfPath']!r}, expected ...\\inf\\{driver['inf_path']}")
        matching = driver.get("matching_device_id", "")
        expect("MatchingIds", "|".join(([matching] if matching else []) + device.get("compatible_ids", [])))
        if e["DriverKey"] and not e["DriverKey"].lower().startswith(class_guid + "\\"):
            problems.append(f"DriverKey {e['DriverKey']!r} is not under {class_guid}")
        if driver and not e["DriverKey"]:
            problems.append("no DriverKey although the device has a driver")
        if device.get("driver", {}).get("package") and device.get("service") and not e["Signer"]:
            problems.append("no Signer although the driver's image has a company name")
        if problems:
            fail(f"{label}: " + "; ".join(problems))
        else:
            print(f"ok   {label}: {e['Name']!r} signer {e['Signer']!r}")

    extra = [e for e in inventory if e["HardwareId"].lower() not in described]
    for e in extra:
        print(f"wine {e['number']}: {e['HardwareId']!r} {e['Name']!r}")
    print(f"{listed_count} described devices listed, {len(extra)} of Wine's own")
    for message in failures:
        print("FAIL " + message)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
