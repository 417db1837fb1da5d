#!/usr/bin/env bash
# The backup page through the window, on the demo machine office-pc-2007:
# velkor.exe opens on the backup page (start mode 2), offers to scan for the
# backup since there is no inventory yet, lists the devices after Yes and
# returns to the page with its device tree (the computer, its classes in the
# order of first appearance, their devices). Backup with nothing checked asks
# for a choice; two devices checked, Backup runs to the summary and its
# message, and the archive holds those two devices.
#
# Every state checked is held: the tree until the test clicks, the summary by
# the message box that follows it and waits for the test's answer.
# Screenshots go to build/win64/screenshots/backup_gui/.
set -euo pipefail

[ -n "${VELKOR_OWN_DISPLAY:-}" ] || exec "$VELKOR_SOURCE_DIR/tests/integration/own_display.sh" bash "$0" "$@"

run() { "$VELKOR_WINE_RUN" "$@"; }
probe() { run "$VELKOR_BUILD_DIR/tests/integration/core/window_probe.exe" "$@" | tr -d '\r'; }
check() { local what="$1" got="$2" want="$3"; [ "$got" == "$want" ] || fail "$what: got '$got', want '$want'"; echo "ok: $what"; }
shots="$VELKOR_BUILD_DIR/screenshots/backup_gui"
mkdir -p "$shots"
snap() { import -window root "$shots/$1.png"; echo "screenshot: $shots/$1.png"; }
fail() { import -window root "$shots/failure.png" 2>/dev/null || true; echo "FAIL: $*" >&2; exit 1; }
unix_path() { local p="${1//\\//}"; echo "$VELKOR_WINEPREFIX/drive_c/${p#[Cc]:/}"; }
# Waits up to 60 s for the output of a command to be $2.
wait_for() {
  local what="$1" want="$2"; shift 2
  for _ in $(seq 1 240); do [ "$("$@")" == "$want" ] && { echo "ok: $what"; return 0; }; sleep 0.25; done
  fail "$what: got '$("$@")', want '$want'"
}
state_of() { probe tree-items Velkor 1080 | awk -F'\t' -v t="$1" '$4 == t {print $2; exit}'; }

build="$VELKOR_BUILD_DIR"
work="$(mktemp -d)"
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT

# The machine is built on this display, in the session the program runs in
# (a new session would lose the display adapter's driver).
run "$build/tools/testmachine/testmachine.exe" "$build/tests/fixtures/machines/office-pc-2007.json" \
  >"$work/testmachine.log" 2>&1 || { cat "$work/testmachine.log"; fail "the demo machine was not built"; }
run "$build/src/app/velkorctl/velkorctl.exe" inventory --json >"$work/inventory.json"
computer="$(run "$build/src/app/velkorctl/velkorctl.exe" sysinfo --json | python3 -c 'import json,sys; print(json.load(sys.stdin)["computer_name"])')"

app="$VELKOR_WINEPREFIX/drive_c/velkor-backup"
mkdir -p "$app"
cp "$build/src/app/velkor/velkor.exe" "$build/tests/unit/core/fake_network/Network.dll" "$build/bin/update.dll" "$app/"

run "$app/velkor.exe" 2 &
pid=$!
probe wait Velkor 30000 >/dev/null || fail "no main window"
check "first page" "$(probe page Velkor)" "168"
question="Scanning is required for the backup. Please scan to get details of your devices. Click Yes to start scanning."
probe answer-message Velkor "$question" yes 30000 >/dev/null || fail "no offer to scan for the backup"
echo "ok: the offer to scan, answered Yes"

# The scan lists the devices and returns to the backup page with the tree.
wait_for "back on the backup page" 168 probe page Velkor
for _ in $(seq 1 240); do [ -n "$(probe tree-items Velkor 1080)" ] && break; sleep 0.25; done
probe tree-items Velkor 1080 >"$work/tree.txt"
python3 - "$work/tree.txt" "$work/inventory.json" "$computer" <<'PY'
import json, sys
items = [l.rstrip("\n").split("\t") for l in open(sys.argv[1], encoding="utf-8") if l.strip()]
devices = json.load(open(sys.argv[2], encoding="utf-8"))
expected = [("0", "1", "-1", sys.argv[3])]
classes = []
for d in devices:
    if d["ClassDescription"] not in classes:
        classes.append(d["ClassDescription"])
for c in classes:
    expected.append(("1", "1", "-1", c))
    expected += [("2", "1", str(d["number"]), d["Name"]) for d in devices if d["ClassDescription"] == c]
got = [tuple(i) for i in items]
assert got == expected, "tree\n" + "\n".join(map(str, got)) + "\nexpected\n" + "\n".join(map(str, expected))
print(f"ok: the tree: {sys.argv[3]}, {len(classes)} classes in order of first appearance, {len(devices)} devices")
PY
check "Backup enabled" "$(probe page-enabled Velkor 1082)" "1"
check "the box enabled" "$(probe page-enabled Velkor 1081)" "1"
check "the box unchecked" "$(probe page-checked Velkor 1081)" "0"
check "Stop disabled" "$(probe page-enabled Velkor 1083)" "0"
snap tree

# Nothing checked: the choice is asked for and nothing starts.
probe page-press Velkor 1082 >/dev/null
probe find-message Velkor "Please select atleast one item for backup." 10000 >/dev/null || fail "no selection message"
echo "ok: Backup with nothing checked asks for a choice"
check "still the tree" "$(probe page-visible Velkor 1080)" "1"

# Two devices checked by their boxes.
nic="Realtek RTL8168/8111 PCI-E Gigabit Ethernet NIC"
display="NVIDIA GeForce 7300 GS"
probe tree-click Velkor 1080 "$nic" >/dev/null || fail "no tree item '$nic'"
wait_for "'$nic' checked" 2 state_of "$nic"
probe tree-click Velkor 1080 "$display" >/dev/null || fail "no tree item '$display'"
wait_for "'$display' checked" 2 state_of "$display"
check "its class partly checked (Wine's own adapter is not)" "$(state_of "Display adapters")" "3"
check "the class of one device checked" "$(state_of "Network adapters")" "2"
check "the computer partly checked" "$(state_of "$computer")" "3"
check "the box stays unchecked" "$(probe page-checked Velkor 1081)" "0"
snap tree_two_checked

# Backup: the summary shows, then its message, which holds it.
probe page-press Velkor 1082 >/dev/null
probe wait-message Velkor "Backup Completed Successfully." 60000 >/dev/null || fail "no completion message"
total="$(python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))))' "$work/inventory.json")"
for id in 1101 1102 1103 1104 1105 1106 1107 1108; do
  check "summary control $id shown" "$(probe page-visible Velkor $id)" "1"
done
check "caption 1" "$(probe page-text Velkor 1101)" "Total Drivers:"
check "caption 2" "$(probe page-text Velkor 1102)" "Drivers selected for Backup:"
check "caption 3" "$(probe page-text Velkor 1103)" "Backup Done:"
check "caption 4" "$(probe page-text Velkor 1104)" "Backup Not Done:"
check "total" "$(probe page-text Velkor 1105)" "$total driver(s)"
check "selected" "$(probe page-text Velkor 1106)" "2 driver(s)"
check "done" "$(probe page-text Velkor 1107)" "Backup of 2 driver(s) completed succesfully"
check "not done" "$(probe page-text Velkor 1108)" "--"
check "the tree hidden" "$(probe page-visible Velkor 1080)" "0"
check "the progress hidden" "$(probe page-visible Velkor 1084)" "0"
check "Stop disabled again" "$(probe page-enabled Velkor 1083)" "0"
snap summary
probe find-message Velkor "Backup Completed Successfully." 5000 >/dev/null || fail "could not answer the message"

# The archive of the two devices.
run "$build/src/app/velkorctl/velkorctl.exe" backups --json >"$work/backups.json"
archive_win="$(python3 -c 'import json,sys; b=json.load(open(sys.argv[1])); assert len(b) == 1, b; print(b[0]["path"])' "$work/backups.json")"
numbers="$(awk -F'\t' -v a="$nic" -v b="$display" '$4 == a || $4 == b {print $3}' "$work/tree.txt" | paste -sd,)"
python3 "$VELKOR_SOURCE_DIR/tests/integration/backup/check_backup.py" "$work/inventory.json" \
  "$(unix_path "$archive_win")" "$VELKOR_WINEPREFIX" "$build/tests/fixtures/drivers" --devices "$numbers"

probe command Velkor 32780 >/dev/null
rc=0
wait "$pid" || rc=$?
pid=""
check "exit code" "$rc" 0
