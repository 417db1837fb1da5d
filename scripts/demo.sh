#!/usr/bin/env bash
# Installs what is missing, builds Velkor and its update service, and runs the
# main job on the demo machine: velkor-service serves the sample driver catalog
# on this machine's loopback, a fresh Wine prefix is made into the office-pc-2007
# machine, and `velkorctl scan` lists its devices, sends them to the service and
# shows the driver updates it found.
#   scripts/demo.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
scripts/install-deps.sh

configure() { [ -f "build/$1/build.ninja" ] || cmake --preset "$1" >/dev/null; }
configure win64
cmake --build --preset win64 -j2 --target velkorctl velkor testmachine velkor_fixtures velkor_sample_catalog \
  window_probe
configure native
cmake --build --preset native -j2 --target velkor-service

export VELKOR_BUILD_DIR="$root/build/win64" VELKOR_SOURCE_DIR="$root"
export VELKOR_WINE_RUN="$VELKOR_BUILD_DIR/wine/wine-run"
export VELKOR_SERVICE_WORK="$VELKOR_BUILD_DIR/demo/service"
build="$VELKOR_BUILD_DIR"
prefix_tool="$build/wine/wine-prefix"
source tests/integration/scan/service_fixture.sh
trap 'velkor_service_stop; "$prefix_tool" stop >/dev/null 2>&1 || true' EXIT

echo "== the update service"
velkor_service_start
echo "velkor-service serves $(find "$VELKOR_SAMPLE_CATALOG/packages" -type f ! -name '*.json' | wc -l)" \
     "sample packages at $VELKOR_SERVICE_URL"

"$prefix_tool" setup >/dev/null
# The window needs an X display from the first Wine program of the session on
# (the demo machine's desktop included): without one, everything runs on a
# virtual display and the result page is kept as a screenshot.
display=()
[ -n "${DISPLAY:-}" ] || display=(xvfb-run -a -s "-screen 0 1024x768x24")
shot="$build/demo/result_page.png"
mkdir -p "$build/demo"
"${display[@]}" env VELKOR_KEEP_PREFIX=1 "$prefix_tool" private demo bash -c '
  set -euo pipefail
  source tests/integration/scan/service_fixture.sh
  run="$VELKOR_WINE_RUN"
  probe() { "$run" "$VELKOR_BUILD_DIR/tests/integration/core/window_probe.exe" "$@" | tr -d "\r"; }
  echo "== the demo machine (office-pc-2007)"
  "$run" "$VELKOR_BUILD_DIR/tools/testmachine/testmachine.exe" \
    "$VELKOR_BUILD_DIR/tests/fixtures/machines/office-pc-2007.json" >/dev/null
  velkor_service_use "$1"
  echo "== velkorctl scan"
  "$run" "$VELKOR_BUILD_DIR/src/app/velkorctl/velkorctl.exe" scan

  echo "== velkor.exe: the window scans the same machine (AutoScan is on for a new account)"
  "$run" "$VELKOR_BUILD_DIR/src/app/velkor/velkor.exe" &
  pid=$!
  probe wait Velkor 30000 >/dev/null || { echo "demo: the window did not open" >&2; exit 1; }
  for _ in $(seq 1 240); do [ "$(probe page Velkor)" == "159" ] && break; sleep 0.5; done
  if [ "$(probe page Velkor)" != "159" ]; then echo "demo: the window did not reach its result page" >&2; exit 1; fi
  sleep 1
  import -window root "$2"
  echo "the result page: $2"
  if [ -n "$3" ]; then
    echo "the window stays open: end it with Exit in its tray menu"
  else
    probe command Velkor 32780 >/dev/null  # Exit from the tray menu
  fi
  wait "$pid"
' demo "$VELKOR_SERVICE_URL" "$shot" "${DISPLAY:-}"
echo "== done: the prefix stays in $build/wine/prefixes/demo"
