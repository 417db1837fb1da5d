#!/usr/bin/env bash
# Load benchmark of velkor-service: a generated catalog of 100,000 packages and
# 1,000,000 IDs, a 60-device scan request, POST /v1/scan on loopback.
#   bench/service/run.sh [SECONDS] [CLIENT_THREADS] [SERVER_THREADS]
# The catalog is generated once into build/bench/service-bench/ and reused.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-20}"
clients="${2:-4}"
servers="${3:-4}"
work=build/bench/service-bench
cmake --preset bench >/dev/null
cmake --build --preset bench -j2 --target velkor-service velkor_catalog_generator velkor_scan_load
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
port=$(( 20000 + RANDOM % 20000 ))
build/bench/service/velkor-service serve --catalog "$work/catalog.db" --packages "$work/packages" \
  --listen "127.0.0.1:$port" --threads "$servers" \
  --scan-key "$work/keys/scan.key" --driver-key "$work/keys/driver.key" >"$work/serve.log" 2>&1 &
service=$!
trap 'kill "$service" 2>/dev/null; wait "$service" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done
echo "velkor-service: $servers worker threads; load: $clients client threads for ${seconds}s"
build/bench/bench/service/velkor_scan_load 127.0.0.1 "$port" "$work/request.xml" "$clients" "$seconds" 200000
