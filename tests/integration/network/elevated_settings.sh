#!/usr/bin/env bash
# Where Network.dll takes its service from, by the process's real token: under
# Wine a program starts elevated, and run_limited.exe starts one with the
# limited token linked to it. The user's HKCU names a listener (what a program
# of the user could plant), HKLM names the service. An elevated process ignores
# both HKCU's "ServiceUrl" and the fallback host handed to it, taking the
# machine's "FallbackHost" instead; a limited one goes where HKCU says.
set -euo pipefail
run="$VELKOR_WINE_RUN"
build="$VELKOR_BUILD_DIR"
scan_dir="$VELKOR_SOURCE_DIR/tests/integration/scan"
tools="$build/tests/integration/network"
source "$VELKOR_SOURCE_DIR/tests/integration/network/network_fixture.sh"
listener=""
stop_listener() {
  [ -z "$listener" ] || { kill "$listener" 2>/dev/null; wait "$listener" 2>/dev/null || true; }
  listener=""
}
network_on_exit=stop_listener
set_value() {  # HIVE NAME VALUE
  "$run" reg add "$1\\Software\\VELKOR Brenn" /v "$2" /t REG_SZ /d "$3" /f >/dev/null
}
calls() { grep -c . "$work/connections.log" || true; }

[ "$("$run" "$tools/elevation_probe.exe" | tr -d '\r')" = elevated ] || { echo "not elevated under Wine"; exit 1; }
[ "$("$run" "$tools/run_limited.exe" "$tools/elevation_probe.exe" | tr -d '\r')" = limited ] \
  || { echo "run_limited does not give a limited token"; exit 1; }

# The listener takes the service's port on 127.0.0.2, so that a fallback call
# (same port, other host) could reach it too.
for attempt in 1 2 3 4 5; do
  velkor_service_start
  rm -f "$work/connections.log"
  python3 "$scan_dir/count_listener.py" "$work/connections.log" "127.0.0.2:$VELKOR_SERVICE_PORT" \
    2>/dev/null &
  listener=$!
  for _ in $(seq 600); do  # up to 30 s
    { [ -f "$work/connections.log" ] || ! kill -0 "$listener" 2>/dev/null; } && break
    sleep 0.05
  done
  [ -f "$work/connections.log" ] && break
  stop_listener; velkor_service_stop
done
[ -f "$work/connections.log" ] || { echo "no port free on both addresses"; exit 1; }

printf '<newdataset>\r\n</newdataset>\r\n' >"$work/request.xml"
set_value HKCU ServiceUrl "http://127.0.0.2:$VELKOR_SERVICE_PORT/"
set_value HKCU FallbackHost 127.0.0.2
velkor_service_use
set_value HKLM FallbackHost 127.0.0.1

call() {  # [run_limited] ARGS...: the exit code of network_call
  local status=0
  "$run" "$@" >"$work/answer.txt" 2>&1 || status=$?
  echo "$status"
}
network_call="$tools/network_call.exe"

status="$(call "$network_call" "$build/bin" scan "$work/request.xml")"
if [ "$status" -eq 0 ] && [ "$(calls)" -eq 0 ]; then
  pass "elevated: the machine's ServiceUrl is called, the user's is not"
else
  fail "elevated: exit $status, $(calls) calls to the user's address"
fi
status="$(call "$network_call" "$build/bin" --server 127.0.0.2 scan "$work/request.xml")"
if [ "$status" -eq 0 ] && [ "$(calls)" -eq 0 ]; then
  pass "elevated: the fallback goes to the machine's FallbackHost, not to the host handed over"
else
  fail "elevated fallback: exit $status, $(calls) calls to the host handed over"
fi

status="$(call "$tools/run_limited.exe" "$network_call" "$build/bin" scan "$work/request.xml")"
if [ "$status" -eq 3 ] && [ "$(calls)" -eq 1 ]; then
  pass "limited: the user's ServiceUrl is called"
else
  fail "limited: exit $status, $(calls) calls to the user's address (1 expected)"
fi
status="$(call "$tools/run_limited.exe" "$network_call" "$build/bin" --server 127.0.0.2 scan "$work/request.xml")"
if [ "$status" -eq 3 ] && [ "$(calls)" -eq 2 ]; then
  pass "limited: the fallback goes to the host handed over"
else
  fail "limited fallback: exit $status, $(calls) calls in all (2 expected)"
fi
[ "$failures" -eq 0 ]
