#!/usr/bin/env bash
# The self-update against velkor-service under Wine: `velkorctl check-update`
# fetches the signed version file through update.dll, and with --yes fetches
# the setup program (record_setup.exe, which records its command line beside
# itself), checks its SHA-256 and starts it with /verysilent while velkorctl
# ends with 0. A version file changed on the way, a setup program that is not
# the one the file names and a file signed by another key start nothing.
set -euo pipefail
run="$VELKOR_WINE_RUN"
build="$VELKOR_BUILD_DIR"
ctl="$build/src/app/velkorctl/velkorctl.exe"
here="$VELKOR_SOURCE_DIR/tests/integration/maintenance"
work="$(mktemp -d)"
VELKOR_SERVICE_WORK="$work/service"
VELKOR_SERVICE_APP_DIR="$work/app"
mkdir -p "$VELKOR_SERVICE_APP_DIR"
source "$VELKOR_SOURCE_DIR/tests/integration/scan/service_fixture.sh"
proxy_pid=""
stop_proxy() { [ -z "$proxy_pid" ] || { kill "$proxy_pid" 2>/dev/null || true; wait "$proxy_pid" 2>/dev/null || true; proxy_pid=""; }; }
trap 'stop_proxy; velkor_service_stop; rm -rf "$work"' EXIT
failures=0
pass() { echo "ok   $1"; }
fail() { echo "FAIL $1"; failures=$((failures + 1)); }

# check NAME EXPECTED-EXIT [ARGS...]: runs check-update, keeps its output.
check() {
  local name="$1" want="$2"
  shift 2
  local got=0
  "$run" "$ctl" check-update "$@" >"$work/$name.out" 2>"$work/$name.err" || got=$?
  if [ "$got" = "$want" ]; then pass "$name: exit $got"; else
    fail "$name: exit $got, expected $want"; cat "$work/$name.out" "$work/$name.err"; fi
}
has() {  # FILE TEXT NAME
  if grep -qF -- "$2" "$1"; then pass "$3"; else fail "$3"; echo "--- $1:"; cat "$1"; fi
}
# True once the setup has recorded a start (it runs on after velkorctl ended).
wait_record() {
  local deadline=$((SECONDS + 60))
  while [ $SECONDS -lt $deadline ]; do
    [ -s "$record" ] && return 0
    sleep 0.2
  done
  return 1
}
fetch_version() {  # OUT: the service's version file as it serves it
  python3 -c 'import sys, urllib.request; open(sys.argv[2], "wb").write(urllib.request.urlopen(sys.argv[1] + "v1/app/version", timeout=30).read())' \
    "$VELKOR_SERVICE_URL" "$1"
}
start_proxy() {  # FILE: answers the version file FILE in the service's place
  rm -f "$work/proxy.port"
  python3 "$here/version_server.py" --file "$1" --ready "$work/proxy.port" &
  proxy_pid=$!
  local deadline=$((SECONDS + 30))
  while [ ! -s "$work/proxy.port" ] && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
  [ -s "$work/proxy.port" ] || { echo "version server did not start"; exit 1; }
  velkor_service_use "http://127.0.0.1:$(cat "$work/proxy.port")/"
}

cp "$build/tests/integration/maintenance/record_setup.exe" "$VELKOR_SERVICE_APP_DIR/setup.exe"
echo "9.0.0.0" >"$VELKOR_SERVICE_APP_DIR/VERSION"
velkor_service_start
velkor_service_use

data_windows="$("$run" "$ctl" settings --json | python3 -c 'import json, sys; print(json.load(sys.stdin)["folders"]["DataFolder"])')"
data="$("$run" winepath -u "$data_windows" | tr -d '\r')"
record="$data/setup_record.txt"
setup="$data/VELKOR.EXE"
rm -f "$record" "$setup"

# 1. A newer version offered and declined: nothing downloaded.
check declined 0 --no
has "$work/declined.out" "offered version: 9.0.0.0" "declined: the offered version is printed"
has "$work/declined.err" "New Update is available. Do you want to download now?" "declined: the question"
[ ! -e "$setup" ] && pass "declined: no setup downloaded" || fail "declined: a setup was downloaded"

# 2. Accepted: downloaded, checked, started with /verysilent, velkorctl ends with 0.
check accepted 0 --yes
if wait_record; then pass "accepted: the setup started"; else fail "accepted: the setup never started"; fi
has "$record" "VELKOR.EXE\" /verysilent" "accepted: started as \"VELKOR.EXE\" /verysilent"
cmp -s "$setup" "$VELKOR_SERVICE_APP_DIR/setup.exe" && pass "accepted: VELKOR.EXE is the service's setup" ||
  fail "accepted: VELKOR.EXE differs from the service's setup"
fetch_version "$work/good.version"

# 3. The same version as the program's: no update, and the command works again.
"$run" "$ctl" version | sed -n 's/^velkorctl \([0-9.]*\).*/\1/p' | tr -d '\r' >"$VELKOR_SERVICE_APP_DIR/VERSION"
check same_version 0 --yes
has "$work/same_version.err" "No New Update is available." "same version: no update"
check same_version_again 0 --yes

# 4. A version file changed on the way (its version raised): refused, nothing started.
rm -f "$record" "$setup"
sed 's/^VERSION=9.0.0.0/VERSION=9.0.0.1/' "$work/good.version" >"$work/proxy.version"
cmp -s "$work/good.version" "$work/proxy.version" && fail "tampered: the file was not changed"
start_proxy "$work/proxy.version"
check tampered 7 --yes
has "$work/tampered.err" "No New Update is available." "tampered: treated as no update"
[ ! -e "$setup" ] && pass "tampered: no setup downloaded" || fail "tampered: a setup was downloaded"

# 5. The signed file as it was, but the setup program behind its address changed.
cp "$work/good.version" "$work/proxy.version"
printf 'tail' >>"$VELKOR_SERVICE_APP_DIR/setup.exe"
check other_setup 7 --yes
has "$work/other_setup.out" "not the one the version file names" "other setup: refused"
[ ! -e "$setup" ] && pass "other setup: VELKOR.EXE deleted" || fail "other setup: VELKOR.EXE left"
stop_proxy
# velkorctl ends with 7 only before it starts anything, so no start can still come.
[ ! -e "$record" ] && pass "tampered, other setup: nothing started" || { fail "a setup was started"; cat "$record"; }

# 6. Signed by a key the program does not trust.
velkor_service_stop
"$VELKOR_SERVICE_BINARY" keygen --private-key "$work/other.key" --public-key "$work/other.pub" >/dev/null
VELKOR_SERVICE_VERSION_KEY="$work/other.key"
echo "9.0.0.0" >"$VELKOR_SERVICE_APP_DIR/VERSION"
velkor_service_start
velkor_service_use
check other_key 7 --yes
[ ! -e "$setup" ] && pass "other key: no setup downloaded" || fail "other key: a setup was downloaded"

# 7. Nothing answers: the connection message and exit 3.
velkor_service_use "http://127.0.0.1:9/"
check unreachable 3 --yes
has "$work/unreachable.err" "Cannot connect to server. Please retry to check for application update." \
  "unreachable: the connection message"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all self-update checks passed"
