#!/usr/bin/env python3
"""The scan request the program sends for a test machine, from its description.

  machine_request.py MACHINE.json OSID > request.xml

Each described device with a name becomes one device of the request, its ID
list built as the program builds it (the hardware ID, its lower-cased form
without "&rev_", the driver's matching device ID, the compatible IDs). The
inventory's class exclusions are not applied: this is for measuring the
service, not for checking the program.
"""

import json
import re
import sys


def main():
    machine = json.load(open(sys.argv[1], encoding="utf-8"))
    osid = sys.argv[2]
    out = ["<newdataset>"]
    for number, device in enumerate(machine["devices"]):
        hardware = (device.get("hardware_ids") or [""])[0]
        if not hardware or not (device.get("friendly_name") or device.get("device_desc")):
            continue
        base = hardware.lower()
        base = base[:base.find("&rev_")] if "&rev_" in base and not base.startswith("rev_") else ""
        driver = device.get("driver", {})
        ids = [hardware] + ([base] if base else []) + [driver.get("matching_device_id", "")]
        ids += device.get("compatible_ids", [])
        date = driver.get("date", "")
        if date:
            month, day, year = date.split("-")
            date = f"{year}-{int(month):02d}-{int(day):02d}"
        escape = lambda text: text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
        out += ["<device>", f"<driverid>{number}</driverid>", f"<osid>{osid}</osid>",
                f"<date>{date}</date>" if date else "<date/>",
                f"<matchingid>{escape('|'.join(ids))}</matchingid>", "</device>"]
    out.append("</newdataset>")
    sys.stdout.write("\r\n".join(out) + "\r\n")


if __name__ == "__main__":
    main()
