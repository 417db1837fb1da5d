#!/usr/bin/env bash
# Load benchmark of velkor-service: a generated catalog of 100,000 packages and
# 1,000,000 IDs, a 60-device scan request, POST /v1/scan on loopback, answered
# once from the SQL catalog (--lookup sql) and once from the in-memory index
# (--lookup index), side by side; the index's memory and build time from the
# service's own log line.
#   bench/service/run.sh [SECONDS] [CLIENT_THREADS] [SERVER_THREADS] [direct|nginx]
# "nginx" runs the same load through nginx with TLS (deploy/nginx/), the
# service on its Unix socket. The catalog is generated once into
# build/bench/service-bench/ and reused.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-20}"
clients="${2:-4}"
servers="${3:-4}"
mode="${4:-direct}"
work=build/bench/service-bench
VELKOR_SOURCE_DIR="$PWD"
cmake --preset bench >/dev/null
cmake --build --preset bench -j2 --target velkor-service velkor_catalog_generator velkor_scan_load >/dev/null
mkdir -p "$work"
if [ ! -s "$work/catalog.db" ] || [ ! -s "$work/request.xml" ]; then
  rm -f "$work"/catalog.db*
  build/bench/bench/service/velkor_catalog_generator "$work/catalog.db" "$work/request.xml" 100000
fi
mkdir -p "$work/packages" "$work/keys"
# The service signs every scan answer: a key pair of its own, made once.
for purpose in scan driver; do
  [ -s "$work/keys/$purpose.key" ] || build/bench/service/velkor-service keygen \
    --private-key "$work/keys/$purpose.key" --public-key "$work/keys/$purpose.pub" >/dev/null
done
source tests/integration/edge/nginx_fixture.sh
service=""
stop_service() {
  if [ -n "$service" ]; then kill "$service" 2>/dev/null || true; wait "$service" 2>/dev/null || true; fi
  service=""
}
trap 'stop_service; velkor_nginx_stop' EXIT
free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

if [ "$mode" = nginx ]; then
  chmod 755 "$work"
  if [ ! -s "$work/tls/localhost.pem" ]; then
    bash tests/tls/test_ca.sh ca "$work/tls"
    bash tests/tls/test_ca.sh server "$work/tls" localhost DNS:localhost IP:127.0.0.1
  fi
  nginx_port="$(free_port)"
fi

# Serves with the given lookup and drives the load; prints the figures.
measure() {
  local lookup="$1" listen base ca=""
  if [ "$mode" = nginx ]; then
    mkdir -p "$work/run"
    listen="unix:$PWD/$work/run/service.sock"
    base="https://localhost:$nginx_port"
    ca="$work/tls/ca.pem"
  else
    local port
    port="$(free_port)"
    listen="127.0.0.1:$port"
    base="http://127.0.0.1:$port"
  fi
  : >"$work/serve-$lookup.log"
  build/bench/service/velkor-service serve --catalog "$work/catalog.db" --packages "$work/packages" \
    --listen "$listen" --public-url "$base/" --threads "$servers" --lookup "$lookup" \
    --scan-key "$work/keys/scan.key" --driver-key "$work/keys/driver.key" \
    >"$work/serve-$lookup.log" 2>&1 &
  service=$!
  for _ in $(seq 600); do grep -q 'listening' "$work/serve-$lookup.log" && break; sleep 0.1; done
  if [ "$mode" = nginx ] && [ -z "$VELKOR_NGINX_WORK" ]; then
    velkor_nginx_start "$PWD/$work/nginx" "$nginx_port" "$PWD/$work/run/service.sock" \
      "$PWD/$work/tls/localhost.pem" "$PWD/$work/tls/localhost.key"
  fi
  [ "$mode" != nginx ] || velkor_https_wait "$base/v1/health" 30 "$ca"
  echo "== $lookup lookup ($mode): $servers worker threads, $clients client threads for ${seconds}s"
  sed -n 's/^velkor-service: index of/index of/p' "$work/serve-$lookup.log"
  build/bench/bench/service/velkor_scan_load "$base" "$work/request.xml" "$clients" "$seconds" 1000000 $ca
  stop_service
}

measure sql
measure index
