#!/usr/bin/env bash
# A throw-away PostgreSQL server for the service's tests, on a free loopback
# port, its data in a temporary folder (made fresh, removed at stop).
#   postgres_server.sh start STATE_DIR   writes STATE_DIR/url (a postgresql:// URL)
#   postgres_server.sh stop STATE_DIR
# Debian's server programs (initdb, pg_ctl) refuse to run as root: as root the
# server runs as "nobody".
set -euo pipefail
command="$1"
state="$2"

server_bin() {
  local found
  found="$(command -v "$1" 2>/dev/null || true)"
  if [ -z "$found" ]; then
    found="$(ls -d /usr/lib/postgresql/*/bin/"$1" 2>/dev/null | sort -V | tail -1 || true)"
  fi
  [ -n "$found" ] || { echo "postgres_server: $1 not found (install Debian's postgresql)" >&2; exit 1; }
  echo "$found"
}

as_server_user() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u nobody -- "$@"; else "$@"; fi
}

case "$command" in
  start)
    if [ -f "$state/datadir" ]; then "$0" stop "$state" || true; fi
    mkdir -p "$state"
    data="$(mktemp -d /tmp/velkor-postgres.XXXXXX)"
    [ "$(id -u)" -ne 0 ] || chown nobody "$data"
    echo "$data" >"$state/datadir"
    as_server_user "$(server_bin initdb)" -D "$data/cluster" -U velkor --auth=trust -E UTF8 --no-locale \
      >"$state/initdb.log" 2>&1 || { cat "$state/initdb.log" >&2; exit 1; }
    # A port found free may be taken before the server binds it: then another.
    started=""
    for _ in 1 2 3 4 5; do
      port="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
      # Durability is of no use to a throw-away server; speed is.
      if as_server_user "$(server_bin pg_ctl)" -D "$data/cluster" -l "$data/server.log" -w -t 60 \
           -o "-c listen_addresses=127.0.0.1 -p $port -k $data -c fsync=off -c full_page_writes=off -c synchronous_commit=off -c max_connections=200" \
           start >"$state/pg_ctl.log" 2>&1; then
        started=1
        break
      fi
    done
    [ -n "$started" ] || { cat "$state/pg_ctl.log" "$data/server.log" >&2; exit 1; }
    echo "postgresql://velkor@127.0.0.1:$port/postgres" >"$state/url"
    echo "postgres_server: $(cat "$state/url")"
    ;;
  stop)
    [ -f "$state/datadir" ] || exit 0
    data="$(cat "$state/datadir")"
    as_server_user "$(server_bin pg_ctl)" -D "$data/cluster" -m immediate -w -t 60 stop >/dev/null 2>&1 || true
    rm -rf "$data" "$state/datadir" "$state/url"
    ;;
  *)
    echo "usage: postgres_server.sh start|stop STATE_DIR" >&2
    exit 2
    ;;
esac
