#!/usr/bin/env python3
"""A scan request with one device per model line of the INF files given.

  inf_request.py OSID INF... > request.xml

Each model line ("description = install section, hardware ID, compatible
IDs...") of any section becomes a device whose ID list is the line's IDs in
order, as a device that matches the line would send them; no installed date.
Reads lines roughly (no string substitution): enough to measure the service.
"""

import sys


def model_lines(path):
    text = open(path, encoding="utf-8", errors="replace").read()
    text = text.replace("\\\r\n", " ").replace("\\\n", " ")
    for line in text.splitlines():
        line = line.split(";")[0].strip()
        if "=" not in line or not line.startswith(("%", '"')):
            continue
        fields = [f.strip() for f in line.split("=", 1)[1].split(",")]
        ids = [f for f in fields[1:] if "\\" in f or f.upper().startswith("MS_")]
        if ids:
            yield ids


def main():
    osid, infs = sys.argv[1], sys.argv[2:]
    out = ["<newdataset>"]
    number = 0
    for inf in infs:
        for ids in model_lines(inf):
            escaped = "|".join(ids).replace("&", "&amp;")
            out += ["<device>", f"<driverid>{number}</driverid>", f"<osid>{osid}</osid>", "<date/>",
                    f"<matchingid>{escaped}</matchingid>", "</device>"]
            number += 1
    out.append("</newdataset>")
    sys.stdout.write("\r\n".join(out) + "\r\n")


if __name__ == "__main__":
    main()
