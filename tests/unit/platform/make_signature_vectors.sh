#!/usr/bin/env bash
# Writes signatures made by OpenSSL, the way the update service makes them, as
# C++ literals for the signature check tests: the checks under Wine then meet
# signatures from another implementation, not their own.
#   make_signature_vectors.sh OUTPUT.inc
# The signed bytes are built here with sha256sum, following docs/protocol.md
# ("Signed answers") rather than the program's own code.
set -euo pipefail
out="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:3072 -out key.pem 2>/dev/null
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:3072 -out other.pem 2>/dev/null
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:1024 -out small.pem 2>/dev/null
openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out curve.pem 2>/dev/null
for k in key other small curve; do openssl pkey -in "$k.pem" -pubout -out "$k.pub"; done

digest() { printf '%s' "$1" | sha256sum | cut -c1-64; }
request='<newdataset>
<device/>
</newdataset>
'
answer='<NewDataSet/>
'
# The lines telling the running Windows, written as C escapes and printed by printf.
windows='Velkor-Windows-Version: 10.0.19045\r\nVelkor-Windows-Architecture: amd64\r\n'
printf 'velkor-signature/1\nscan-answer\n%s\n%s\n%s\n' "$(digest "$request")" "$(printf "$windows" | sha256sum | cut -c1-64)" \
  "$(digest "$answer")" >scan.msg
printf 'velkor-signature/1\nversion-file\n%s\n' "$(digest "$answer")" >version.msg
sign() { openssl dgst -sha256 -sign "$1" "$2" | base64 -w0; }
key_id() { openssl pkey -pubin -in "$1" -outform DER | sha256sum | cut -c1-16; }

{
  echo "// Made by make_signature_vectors.sh; do not edit."
  for k in key other small curve; do
    echo "constexpr char k_${k}_pem[] = R\"PEM($(cat "$k.pub"))PEM\";"
  done
  echo "constexpr char k_key_id[] = \"$(key_id key.pub)\";"
  echo "constexpr char k_other_id[] = \"$(key_id other.pub)\";"
  echo "constexpr char k_request[] = R\"XML($request)XML\";"
  echo "constexpr char k_answer[] = R\"XML($answer)XML\";"
  echo "constexpr char k_windows[] = \"$windows\";"
  echo "constexpr char k_scan_by_key[] = \"$(sign key.pem scan.msg)\";"
  echo "constexpr char k_scan_by_other[] = \"$(sign other.pem scan.msg)\";"
  echo "constexpr char k_version_by_key[] = \"$(sign key.pem version.msg)\";"
} >"$out.tmp"
mv "$out.tmp" "$out"
