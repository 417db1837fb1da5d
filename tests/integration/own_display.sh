#!/usr/bin/env bash
# Runs a command on an X display of its own: a new Xvfb that picks a free
# display number itself (-displayfd, so two tests started at once never race
# for one), stopped when the command ends. A GUI test's windows and
# screenshots then never mix with another test's, whatever display the caller
# has.
#   own_display.sh COMMAND [ARGS...]
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: own_display.sh COMMAND [ARGS...]" >&2; exit 2; }

number_file="$(mktemp)"
server_log="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -ac 3>"$number_file" >"$server_log" 2>&1 &
xvfb=$!
# A display that went away under the test is said, with the server's own
# words, so that a failure it caused is not taken for the program's.
finish() {
  if ! kill -0 "$xvfb" 2>/dev/null; then
    echo "own_display.sh: the X server of display :${display:-?} ended during the test" >&2
    tail -n 20 "$server_log" >&2
  fi
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  rm -f "$number_file" "$server_log"
}
trap finish EXIT

# Xvfb writes the number once it accepts connections.
for _ in $(seq 1 200); do
  display="$(tr -dc '0-9' <"$number_file")"
  [ -n "$display" ] && break
  kill -0 "$xvfb" 2>/dev/null || { echo "own_display.sh: Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
[ -n "$display" ] || { echo "own_display.sh: Xvfb gave no display within 20 s" >&2; exit 1; }

export DISPLAY=":$display"
export VELKOR_OWN_DISPLAY="$DISPLAY"
rc=0
"$@" || rc=$?
exit "$rc"
