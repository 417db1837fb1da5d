# velkor-service with the sample catalog, for tests and the demo (sourced, bash).
#
#   source tests/integration/scan/service_fixture.sh
#   velkor_service_start [HOST]        import the sample catalog and serve it on a free
#                                      port of HOST (default 127.0.0.1); sets
#                                      VELKOR_SERVICE_PORT and VELKOR_SERVICE_URL
#   velkor_service_use [URL]           write "ServiceUrl" (default VELKOR_SERVICE_URL)
#                                      into HKLM of the Wine prefix: programs under
#                                      Wine run elevated, and an elevated Network.dll
#                                      reads its settings from the machine only
#   velkor_service_post_scan REQUEST ANSWER [URL]
#                                      POST a request file, write the answer file
#   velkor_service_stop                stop the service (also done on exit)
#   velkor_free_port [HOST...]         print a TCP port free on every HOST given
#
# Environment (the scan tests get it from CMake; all but the first two default):
#   VELKOR_BUILD_DIR, VELKOR_SOURCE_DIR  build and source trees
#   VELKOR_WINE_RUN                   wine-run of the build (runs `reg` in the prefix)
#   VELKOR_SERVICE_BINARY             velkor-service of the native build
#   VELKOR_SAMPLE_CATALOG             folder holding packages/ (the sample catalog)
#   VELKOR_SERVICE_KEYS               folder of the private keys that sign the answers
#                                     (default: the test keys the build made for its
#                                     Network.dll, VELKOR_BUILD_DIR/keys)
#   VELKOR_SERVICE_WORK               where the catalog database and the logs go
#                                     (default: a temporary folder, removed on exit)
#   VELKOR_SERVICE_PUBLIC_URL         the service's --public-url (default: none, so
#                                     the download addresses point at the service)
#   VELKOR_SERVICE_APP_DIR            the service's --app-dir (the self-update's
#                                     VERSION and setup.exe; default: none)
#   VELKOR_SERVICE_VERSION_KEY        the private key that signs the version file
#                                     (default: VELKOR_SERVICE_KEYS/version-file.key;
#                                     used only with VELKOR_SERVICE_APP_DIR)
#
# An exit trap stops the service; a script that has set its own EXIT trap before
# starting the service calls velkor_service_stop from it.

: "${VELKOR_BUILD_DIR:?VELKOR_BUILD_DIR is not set}"
: "${VELKOR_SOURCE_DIR:?VELKOR_SOURCE_DIR is not set}"
VELKOR_WINE_RUN="${VELKOR_WINE_RUN:-$VELKOR_BUILD_DIR/wine/wine-run}"
VELKOR_SERVICE_BINARY="${VELKOR_SERVICE_BINARY:-$VELKOR_SOURCE_DIR/build/native/service/velkor-service}"
VELKOR_SAMPLE_CATALOG="${VELKOR_SAMPLE_CATALOG:-$VELKOR_BUILD_DIR/sample_catalog}"
VELKOR_SERVICE_KEYS="${VELKOR_SERVICE_KEYS:-$VELKOR_BUILD_DIR/keys}"
VELKOR_SERVICE_PID=""
VELKOR_SERVICE_PORT=""
VELKOR_SERVICE_URL=""
VELKOR_SERVICE_OWN_WORK=""

velkor_free_port() {
  python3 - "${@:-127.0.0.1}" <<'EOF'
import random, socket, sys
hosts = sys.argv[1:]
for _ in range(200):
    port = random.randint(20000, 59999)
    taken = []
    try:
        for host in hosts:
            s = socket.socket()
            taken.append(s)
            s.bind((host, port))
    except OSError:
        continue
    finally:
        for s in taken:
            s.close()
    print(port)
    sys.exit(0)
sys.exit("no free port found")
EOF
}

# True when GET URL/v1/health answers 200 within SECONDS; false at once when
# the process PID has ended (its port was taken, for example).
velkor_service_wait_health() {
  python3 - "$1" "$2" "$3" <<'EOF'
import sys, time, urllib.request
url, seconds, pid = sys.argv[1], float(sys.argv[2]), int(sys.argv[3])
end = time.monotonic() + seconds
while time.monotonic() < end:
    try:
        with urllib.request.urlopen(url + "v1/health", timeout=2) as answer:
            if answer.status == 200:
                sys.exit(0)
    except OSError:
        pass
    try:  # an ended child stays a zombie until the shell waits for it
        with open(f"/proc/{pid}/stat") as stat:
            if stat.read().rsplit(")", 1)[1].split()[0] == "Z":
                sys.exit(1)
    except OSError:
        sys.exit(1)
    time.sleep(0.1)
sys.exit(1)
EOF
}

# Stops the service when the script ends, also when it is interrupted or
# terminated; a script's own EXIT trap is kept (it must then call
# velkor_service_stop itself).
velkor_service_trap() {
  [ -n "$(trap -p EXIT)" ] || trap velkor_service_finish EXIT
  [ -n "$(trap -p INT)" ] || trap 'exit 130' INT
  [ -n "$(trap -p TERM)" ] || trap 'exit 143' TERM
}

velkor_service_start() {
  local host="${1:-127.0.0.1}"
  if [ ! -x "$VELKOR_SERVICE_BINARY" ]; then
    echo "service_fixture: velkor-service not found at $VELKOR_SERVICE_BINARY;" \
         "build it first: cmake --preset native && cmake --build --preset native --target velkor-service" >&2
    return 1
  fi
  if [ ! -d "$VELKOR_SAMPLE_CATALOG/packages" ]; then
    echo "service_fixture: no sample catalog in $VELKOR_SAMPLE_CATALOG/packages;" \
         "build the target velkor_sample_catalog first" >&2
    return 1
  fi
  if [ ! -f "$VELKOR_SERVICE_KEYS/scan-answer.key" ] || [ ! -f "$VELKOR_SERVICE_KEYS/driver-answer.key" ]; then
    echo "service_fixture: no signing keys in $VELKOR_SERVICE_KEYS; the build makes test keys there" \
         "unless VELKOR_SCAN_ANSWER_KEYS and VELKOR_DRIVER_ANSWER_KEYS name public keys of their own" >&2
    return 1
  fi
  if [ -z "${VELKOR_SERVICE_WORK:-}" ]; then
    VELKOR_SERVICE_WORK="$(mktemp -d)"
    VELKOR_SERVICE_OWN_WORK="$VELKOR_SERVICE_WORK"
  fi
  mkdir -p "$VELKOR_SERVICE_WORK"
  local catalog="$VELKOR_SERVICE_WORK/catalog.db"
  rm -f "$catalog" "$catalog"-*
  if ! "$VELKOR_SERVICE_BINARY" import --catalog "$catalog" --packages "$VELKOR_SAMPLE_CATALOG/packages" \
        >"$VELKOR_SERVICE_WORK/import.log" 2>&1; then
    echo "service_fixture: importing the sample catalog failed:" >&2
    cat "$VELKOR_SERVICE_WORK/import.log" >&2
    return 1
  fi
  local attempt port
  for attempt in 1 2 3 4 5; do
    port="$(velkor_free_port "$host")" || return 1
    "$VELKOR_SERVICE_BINARY" serve --catalog "$catalog" --packages "$VELKOR_SAMPLE_CATALOG/packages" \
      --listen "$host:$port" --threads 4 ${VELKOR_SERVICE_PUBLIC_URL:+--public-url "$VELKOR_SERVICE_PUBLIC_URL"} \
      --scan-key "$VELKOR_SERVICE_KEYS/scan-answer.key" --driver-key "$VELKOR_SERVICE_KEYS/driver-answer.key" \
      ${VELKOR_SERVICE_APP_DIR:+--app-dir "$VELKOR_SERVICE_APP_DIR" \
        --version-key "${VELKOR_SERVICE_VERSION_KEY:-$VELKOR_SERVICE_KEYS/version-file.key}"} \
      </dev/null >"$VELKOR_SERVICE_WORK/serve.log" 2>&1 &
    VELKOR_SERVICE_PID=$!
    VELKOR_SERVICE_PORT="$port"
    VELKOR_SERVICE_URL="http://$host:$port/"
    velkor_service_trap
    # Someone may take the port between the check and the start: the service
    # then ends at once, and another port is tried.
    if velkor_service_wait_health "$VELKOR_SERVICE_URL" 30 "$VELKOR_SERVICE_PID"; then
      return 0
    fi
    velkor_service_stop
  done
  echo "service_fixture: velkor-service did not start; its last log:" >&2
  cat "$VELKOR_SERVICE_WORK/serve.log" >&2
  return 1
}

velkor_service_stop() {
  if [ -n "$VELKOR_SERVICE_PID" ]; then
    kill "$VELKOR_SERVICE_PID" 2>/dev/null || true
    wait "$VELKOR_SERVICE_PID" 2>/dev/null || true
    VELKOR_SERVICE_PID=""
  fi
}

# The exit trap's work: the service stopped, a temporary work folder removed.
velkor_service_finish() {
  velkor_service_stop
  [ -z "$VELKOR_SERVICE_OWN_WORK" ] || rm -rf "$VELKOR_SERVICE_OWN_WORK"
}

# POSTs the scan request in file REQUEST to the service (without the system
# headers that Network.dll adds) and writes the answer to file ANSWER.
velkor_service_post_scan() {
  python3 - "${3:-$VELKOR_SERVICE_URL}" "$1" "$2" <<'PY'
import sys, urllib.request
url, request, answer = sys.argv[1:]
call = urllib.request.Request(url + "v1/scan", data=open(request, "rb").read(),
                              headers={"Content-Type": "text/xml; charset=utf-8"})
with urllib.request.urlopen(call, timeout=30) as reply:
    open(answer, "wb").write(reply.read())
PY
}

velkor_service_use() {
  local url="${1:-$VELKOR_SERVICE_URL}"
  "$VELKOR_WINE_RUN" reg add 'HKLM\Software\VELKOR Brenn' /v ServiceUrl /t REG_SZ /d "$url" /f >/dev/null
}
