#!/usr/bin/env bash
# A throw-away certificate authority for tests that speak TLS on this machine
# (the network tests of Network.dll, and any TLS front such as nginx before
# velkor-service). Nothing made here is ever trusted outside a test's own Wine
# prefix.
#
#   test_ca.sh ca DIR                      DIR/ca.pem and DIR/ca.key: a new CA
#   test_ca.sh server DIR NAME [SAN...]    DIR/NAME.pem (leaf, then the CA) and
#                                          DIR/NAME.key, for the names in SAN
#                                          ("DNS:localhost", "IP:127.0.0.1"; by
#                                          default DNS:NAME), signed by DIR's CA
#   test_ca.sh trust-wine CA.pem           makes the Wine prefix of the test
#                                          (VELKOR_WINEPREFIX, through
#                                          VELKOR_WINE_RUN) trust CA.pem as a root
#
# Under Wine 8 a root is trusted when it is in the host's system store or in the
# prefix's registry store HKLM\Software\Microsoft\SystemCertificates\Root: a
# value "Blob" under Certificates\<SHA-1 of the certificate>, holding the
# certificate as a serialized property (id 32, encoding 1, length, DER bytes).
set -euo pipefail

days=30
case "${1:-}" in
  ca)
    dir="$2"
    mkdir -p "$dir"
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/ca.key" -out "$dir/ca.pem" -days "$days" \
      -subj "/CN=Velkor Test CA $(date +%s%N)" \
      -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
    ;;
  server)
    dir="$2" name="$3"; shift 3
    sans="${*:-DNS:$name}"
    sans="${sans// /,}"
    openssl req -newkey rsa:2048 -nodes -keyout "$dir/$name.key" -out "$dir/$name.csr" -subj "/CN=$name" 2>/dev/null
    printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature,keyEncipherment\n'`
          `'extendedKeyUsage=serverAuth\nsubjectAltName=%s\n' "$sans" >"$dir/$name.ext"
    openssl x509 -req -in "$dir/$name.csr" -CA "$dir/ca.pem" -CAkey "$dir/ca.key" -CAcreateserial \
      -out "$dir/$name.leaf.pem" -days "$days" -extfile "$dir/$name.ext" 2>/dev/null
    cat "$dir/$name.leaf.pem" "$dir/ca.pem" >"$dir/$name.pem"
    rm -f "$dir/$name.csr" "$dir/$name.ext" "$dir/$name.leaf.pem"
    ;;
  trust-wine)
    ca="$2"
    : "${VELKOR_WINE_RUN:?VELKOR_WINE_RUN is not set}"
    reg="$(mktemp --suffix=.reg)"
    python3 - "$ca" >"$reg" <<'PY'
import hashlib, ssl, struct, sys
der = ssl.PEM_cert_to_DER_cert(open(sys.argv[1]).read())
blob = struct.pack("<III", 32, 1, len(der)) + der
print("Windows Registry Editor Version 5.00\n")
print("[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\%s]"
      % hashlib.sha1(der).hexdigest().upper())
print('"Blob"=hex:' + ",".join("%02x" % b for b in blob))
PY
    "$VELKOR_WINE_RUN" reg import "Z:${reg//\//\\}" >/dev/null 2>&1
    rm -f "$reg"
    ;;
  *)
    echo "usage: test_ca.sh ca DIR | server DIR NAME [SAN...] | trust-wine CA.pem" >&2
    exit 2
    ;;
esac
