#!/usr/bin/env bash
# The backup of the demo machine office-pc-2007 (its drivers installed by
# plug and play from the fixture packages) with `velkorctl backup`: the
# archive tests clean with `unzip -t`, holds index.dat and one folder per
# device with an INF file, every file in it is byte-equal to the installed one,
# and index.dat, read by check_backup.py's own reader, holds the inventory's
# texts. Then a backup of two chosen devices, `velkorctl backups`, and the
# command's usage errors.
set -euo pipefail
run() { "$VELKOR_WINE_RUN" "$@"; }
build="$VELKOR_BUILD_DIR"
ctl="$build/src/app/velkorctl/velkorctl.exe"
here="$VELKOR_SOURCE_DIR/tests/integration/backup"
fail() { echo "FAIL: $*" >&2; exit 1; }
# C:\x\y on drive C of the prefix.
unix_path() { local p="${1//\\//}"; echo "$VELKOR_WINEPREFIX/drive_c/${p#[Cc]:/}"; }
work="$(mktemp -d)"
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT

run "$build/tools/testmachine/testmachine.exe" "$build/tests/fixtures/machines/office-pc-2007.json" \
  >"$work/testmachine.log" 2>&1 || { cat "$work/testmachine.log"; fail "the demo machine was not built"; }
run "$ctl" inventory --json >"$work/inventory.json"

# Every device.
run "$ctl" backup --all >"$work/backup.out" 2>"$work/backup.err" || { cat "$work/backup.err"; fail "backup --all"; }
archive_win="$(tr -d '\r' <"$work/backup.out" | tail -n 1)"
[[ "$archive_win" =~ \\Velkor\ DriverBackup-[0-9]{10}_[0-9]{4}[AP]M\.zip$ ]] || fail "archive path '$archive_win'"
archive="$(unix_path "$archive_win")"
unzip -tq "$archive" >"$work/unzip.log" || { cat "$work/unzip.log"; fail "unzip -t"; }
echo "ok   unzip -t: $(cat "$work/unzip.log")"
grep -q "^Backup Done: Backup of [0-9]* driver(s) completed succesfully" "$work/backup.err" || \
  { cat "$work/backup.err"; fail "no summary"; }
grep -qx "Backup Completed Successfully." <(tr -d '\r' <"$work/backup.err") || fail "no completion message"
python3 "$here/check_backup.py" "$work/inventory.json" "$archive" "$VELKOR_WINEPREFIX" "$build/tests/fixtures/drivers"

# The working folder is gone; the backup list holds the archive.
run "$ctl" settings --json >"$work/settings.json"
python3 - "$work/settings.json" "$VELKOR_WINEPREFIX" <<'PY'
import json, os, sys
settings = json.load(open(sys.argv[1], encoding="utf-8"))
temp = settings["folders"]["TempFolder"].replace("\\", "/")
assert not os.path.exists(os.path.join(sys.argv[2], "drive_c", temp[3:])), f"working folder {temp} left behind"
assert settings["lists"]["backup"] == 1, settings["lists"]
print("ok   the working folder is deleted and the backup list holds one archive")
PY

# Two chosen devices: the network adapter and the display adapter.
numbers="$(python3 - "$work/inventory.json" <<'PY'
import json, sys
devices = json.load(open(sys.argv[1], encoding="utf-8"))
wanted = [d["number"] for d in devices
          if d["ClassDescription"] in ("Network adapters", "Display adapters") and d["InfPath"]]
print(",".join(map(str, wanted[:2])))
PY
)"
[ -n "$numbers" ] || fail "no network or display adapter in the inventory"
sleep 1  # another second, another archive name
run "$ctl" backup --device ${numbers//,/ } --json >"$work/two.json" 2>"$work/two.err" || { cat "$work/two.err"; fail "backup --device"; }
two_win="$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["archive"])' "$work/two.json")"
two="$(unix_path "$two_win")"
unzip -tq "$two" >/dev/null || fail "unzip -t of the two-device archive"
python3 "$here/check_backup.py" "$work/inventory.json" "$two" "$VELKOR_WINEPREFIX" "$build/tests/fixtures/drivers" \
  --devices "$numbers"
python3 - "$work/two.json" <<'PY'
import json, sys
d = json.load(open(sys.argv[1], encoding="utf-8"))
assert d["summary"]["selected"] == "2 driver(s)", d
assert d["summary"]["done"] == "Backup of 2 driver(s) completed succesfully", d
assert d["summary"]["notDone"] == "--", d
print("ok   two devices: " + d["summary"]["done"])
PY

# Both archives are listed, with their entry counts.
run "$ctl" backups --json >"$work/backups.json"
python3 - "$work/backups.json" "$archive" "$two" <<'PY'
import json, sys, zipfile
listed = {b["name"]: b for b in json.load(open(sys.argv[1], encoding="utf-8"))}
for path in sys.argv[2:]:
    name = path.split("/")[-1]
    assert name in listed, f"{name} not listed: {sorted(listed)}"
    assert listed[name]["entries"] == len(zipfile.ZipFile(path).namelist()), listed[name]
print(f"ok   backups lists {len(listed)} archives with their entry counts")
PY

# Usage errors.
for args in "--all --device 0" "--device" "--device x" "--frobnicate" "--device 99999"; do
  rc=0
  run "$ctl" backup $args >/dev/null 2>"$work/usage.err" || rc=$?
  [ "$rc" -eq 2 ] || fail "backup $args: exit $rc, expected 2"
done
echo "ok   usage errors exit 2"
