#!/usr/bin/env bash
# A certificate authority for tests and a server certificate it signs, made
# fresh with openssl; nothing of it is ever kept in the repository.
#   make_test_ca.sh OUT_DIR [NAME...]       (default names: localhost 127.0.0.1)
# Writes OUT_DIR/ca.pem (the authority's certificate, to be trusted by the
# client), ca.key, server.pem (the server's certificate followed by nothing
# else: the authority is the root) and server.key. Names that look like IPv4 or
# IPv6 addresses become IP entries of the certificate, the others DNS entries.
# Reusable by any test that needs TLS: source nothing, just run it.
set -euo pipefail
out="$1"; shift
names=("$@")
[ "${#names[@]}" -gt 0 ] || names=(localhost 127.0.0.1)
mkdir -p "$out"
umask 077

alt=""
for name in "${names[@]}"; do
  if [[ "$name" =~ ^[0-9.]+$ || "$name" == *:* ]]; then entry="IP:$name"; else entry="DNS:$name"; fi
  alt="${alt:+$alt,}$entry"
done

openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 30 -subj "/CN=Velkor Test CA" \
  -keyout "$out/ca.key" -out "$out/ca.pem" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -sha256 -subj "/CN=${names[0]}" \
  -keyout "$out/server.key" -out "$out/server.csr" 2>/dev/null
cat >"$out/server.ext" <<EXT
basicConstraints=critical,CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=$alt
EXT
openssl x509 -req -sha256 -days 30 -in "$out/server.csr" -CA "$out/ca.pem" -CAkey "$out/ca.key" \
  -CAcreateserial -extfile "$out/server.ext" -out "$out/server.pem" 2>/dev/null
rm -f "$out/server.csr" "$out/server.ext" "$out/ca.srl"
chmod 644 "$out/ca.pem" "$out/server.pem"
