#!/usr/bin/env python3
"""Checks the updates velkorctl printed against the expected offers.

  check_offers.py REPORT EXPECTED SERVICE_URL PACKAGES_DIR [SECTION]

REPORT is what `velkorctl scan` or `velkorctl match` printed (the text form:
"Device N: NAME" and the update record's fields below it, then the update
list and the count line; the update list must name every expected device
once). EXPECTED has one offer per line,
"device name|matched hardware ID|package|version", in the order velkorctl
prints them; "#" lines are comments. A file may hold one list per Windows
version, each after a "[SECTION]" line: SECTION chooses one; without it the
lines before the first section are read.

Each printed update is turned into the same four fields: the package through
the service's download lookup (GET /v1/driver with the update's
ServerHardwareId), which must also give the update's MD5, and that MD5 must be
the package file's. Exits 1 with both lists when they differ.
"""

import hashlib
import re
import sys
import urllib.parse
import urllib.request


def read_report(path):
    """The printed updates (name and record fields) and the final count line."""
    updates = []
    listed = []
    in_list = False
    count_line = None
    with open(path, encoding="utf-8") as report:
        for raw in report:
            line = raw.rstrip("\r\n")
            if line == "Update list:":
                in_list = True
                continue
            if in_list:
                if line.startswith("  "):
                    listed.append(line[2:])
                else:
                    count_line = line
                continue
            device = re.match(r"^Device (\d+): (.*)$", line)
            field = re.match(r"^  (\w+) +(.*)$", line)
            if device:
                updates.append({"number": int(device.group(1)), "Name": device.group(2)})
            elif field and updates:
                updates[-1][field.group(1)] = field.group(2)
    return updates, listed, count_line


def read_expected(path, wanted=None):
    offers = []
    section = None
    found = wanted is None
    with open(path, encoding="utf-8") as expected:
        for raw in expected:
            line = raw.rstrip("\r\n")
            if not line or line.startswith("#"):
                continue
            if line.startswith("[") and line.endswith("]"):
                section = line[1:-1]
                found = found or section == wanted
                continue
            if section != wanted:
                continue
            fields = line.split("|")
            if len(fields) != 4:
                sys.exit(f"{path}: not four fields: {line}")
            offers.append(tuple(fields))
    if not found:
        sys.exit(f"{path}: no section [{wanted}]")
    return offers


def package_of(update, service_url, packages_dir, problems):
    key = update.get("ServerHardwareId", "")
    query = urllib.parse.urlencode({"id": key, "os": "4"})
    try:
        with urllib.request.urlopen(f"{service_url}v1/driver?{query}", timeout=10) as answer:
            text = answer.read().decode("utf-8")
    except OSError as error:
        problems.append(f"device {update['number']}: driver lookup of '{key}' failed: {error}")
        return "?"
    url, _, md5 = text.partition("|")
    marker = "v1/packages/"
    package = urllib.parse.unquote(url[url.find(marker) + len(marker):]) if marker in url else "?"
    if md5 != update.get("Md5"):
        problems.append(f"device {update['number']}: MD5 {update.get('Md5')} in the answer, {md5} from the lookup")
    try:
        with open(f"{packages_dir}/{package}", "rb") as file:
            actual = hashlib.md5(file.read()).hexdigest()
        if actual != md5:
            problems.append(f"device {update['number']}: {package} has MD5 {actual}, the service says {md5}")
    except OSError:
        problems.append(f"device {update['number']}: package file {package} not found")
    return package


def main():
    if len(sys.argv) not in (5, 6):
        sys.exit(__doc__)
    report, expected_path, service_url, packages_dir = sys.argv[1:5]
    updates, listed, count_line = read_report(report)
    expected = read_expected(expected_path, sys.argv[5] if len(sys.argv) == 6 else None)
    problems = []
    actual = []
    for update in updates:
        package = package_of(update, service_url, packages_dir, problems)
        actual.append((update["Name"], update.get("HardwareId", ""), package, update.get("DriverVersion", "")))
        if not update.get("ServerInfPath", "").startswith("Extract\\"):
            problems.append(f"device {update['number']}: INF path '{update.get('ServerInfPath')}' without Extract\\")
    if actual != expected:
        problems.append("the updates differ from the expected offers")
    # The result page shows the update list: every expected device, once.
    listed_names = sorted(entry.split("|")[1] if entry.count("|") == 2 else entry for entry in listed)
    if listed_names != sorted(offer[0] for offer in expected):
        problems.append("the update list does not name the expected devices: " + "; ".join(listed))
    counted = re.match(r"^(\d+) ", count_line or "")
    if not counted or int(counted.group(1)) != len(expected):
        problems.append(f"count line '{count_line}' does not say {len(expected)}")
    if problems:
        print("\n".join(problems))
        print("expected:")
        print("".join(f"  {'|'.join(offer)}\n" for offer in expected), end="")
        print("printed:")
        print("".join(f"  {'|'.join(offer)}\n" for offer in actual), end="")
        return 1
    print(f"{len(actual)} updates as expected")
    return 0


if __name__ == "__main__":
    sys.exit(main())
