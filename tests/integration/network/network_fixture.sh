# Shared set-up of the network tests (sourced, bash): a work folder, the
# service fixture (tests/integration/scan/service_fixture.sh), the altering
# proxy, pass/fail reporting and the clean-up on exit.
#   proxy_start MODE [ARGS...]   start answer_proxy.py in front of VELKOR_SERVICE_URL;
#                                sets PROXY_PORT and PROXY_URL (http, or https with --tls)
#   proxy_stop                   stop it
#   network_on_exit              a command of the test's own to run at exit (optional)
#   pass TEXT / fail TEXT        report; `[ "$failures" -eq 0 ]` ends the test
work="$(mktemp -d)"
VELKOR_SERVICE_WORK="$work/service"
source "$VELKOR_SOURCE_DIR/tests/integration/scan/service_fixture.sh"
PROXY_PID=""
PROXY_PORT=""
PROXY_URL=""
network_on_exit=""
failures=0
pass() { echo "ok   $1"; }
fail() { echo "FAIL $1"; failures=$((failures + 1)); }

proxy_start() {
  local mode="$1"; shift
  local ready="$work/proxy.port"
  rm -f "$ready"
  python3 "$VELKOR_SOURCE_DIR/tests/integration/network/answer_proxy.py" --upstream "$VELKOR_SERVICE_URL" \
    --mode "$mode" --ready "$ready" --log "$work/proxy.log" "$@" </dev/null >>"$work/proxy.err" 2>&1 &
  PROXY_PID=$!
  local scheme=http
  case " $* " in *" --tls "*) scheme=https ;; esac
  local waited=0
  while [ ! -s "$ready" ]; do
    if ! kill -0 "$PROXY_PID" 2>/dev/null || [ "$waited" -ge 600 ]; then  # 30 s
      echo "proxy did not start:"; cat "$work/proxy.err"; return 1
    fi
    sleep 0.05; waited=$((waited + 1))
  done
  PROXY_PORT="$(cat "$ready")"
  PROXY_URL="$scheme://127.0.0.1:$PROXY_PORT/"
}

proxy_stop() {
  if [ -n "$PROXY_PID" ]; then
    kill "$PROXY_PID" 2>/dev/null || true
    wait "$PROXY_PID" 2>/dev/null || true
    PROXY_PID=""
  fi
}

network_finish() {
  [ -z "$network_on_exit" ] || eval "$network_on_exit"
  proxy_stop
  velkor_service_stop
  rm -rf "$work"
}
trap network_finish EXIT
