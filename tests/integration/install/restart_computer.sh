#!/usr/bin/env bash
# RestartComputer under Wine ends every program of the prefix: a program of
# the prefix is started and waits for ever, restart_probe calls the engine's
# RestartComputer, and the waiting program must end (within a deadline).
#   restart_computer.sh RESTART_PROBE.exe SETUP_RECORDER.exe
set -euo pipefail
probe=$1 recorder=$2
work="$(mktemp -d)"
waiting=""
cleanup() { [ -n "$waiting" ] && kill "$waiting" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

cp "$recorder" "$work/waiter.exe"
"$VELKOR_WINE_RUN" "$work/waiter.exe" --wait-forever &
waiting=$!
for _ in $(seq 1 600); do [ -f "$work/waiter.exe.args" ] && break; sleep 0.1; done
[ -f "$work/waiter.exe.args" ] || { echo "FAIL the waiting program did not start"; exit 1; }
kill -0 "$waiting" 2>/dev/null || { echo "FAIL the waiting program ended by itself"; exit 1; }

"$VELKOR_WINE_RUN" "$probe" || true  # the probe itself may be ended by the restart
for _ in $(seq 1 600); do kill -0 "$waiting" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$waiting" 2>/dev/null; then echo "FAIL the restart left the waiting program running"; exit 1; fi
wait "$waiting" || true
waiting=""
echo "ok   the restart ended the prefix's programs"
