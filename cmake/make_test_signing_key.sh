#!/usr/bin/env bash
# Makes the test key pair of one purpose for a build folder: PURPOSE.key (the
# private key, for the service that the tests and the demo start) and
# PURPOSE.pub (the public key that the build compiles into the program). A real
# build names its own public keys instead; no private key ever belongs in the
# repository.
#   make_test_signing_key.sh DIR PURPOSE
set -euo pipefail
dir="$1" purpose="$2"
mkdir -p "$dir"
umask 077
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:3072 -out "$dir/$purpose.key.tmp" 2>/dev/null
openssl pkey -in "$dir/$purpose.key.tmp" -pubout -out "$dir/$purpose.pub.tmp"
chmod 644 "$dir/$purpose.pub.tmp"
mv "$dir/$purpose.key.tmp" "$dir/$purpose.key"
mv "$dir/$purpose.pub.tmp" "$dir/$purpose.pub"
