#!/usr/bin/env bash
# HTTPS to the service through a local TLS front (answer_proxy.py --tls) whose
# certificate comes from a test CA (tests/tls/test_ca.sh) that this test's
# prefix trusts: the call is taken. A certificate for another name, or from a
# CA the prefix does not trust, fails the call; so does a plain-HTTP service
# address on another machine, which the unit tests show is refused before any
# connection.
set -euo pipefail
run="$VELKOR_WINE_RUN"
build="$VELKOR_BUILD_DIR"
test_ca="$VELKOR_SOURCE_DIR/tests/tls/test_ca.sh"
network_call="$build/tests/integration/network/network_call.exe"
source "$VELKOR_SOURCE_DIR/tests/integration/network/network_fixture.sh"

velkor_service_start
bash "$test_ca" ca "$work/trusted"
bash "$test_ca" server "$work/trusted" localhost DNS:localhost IP:127.0.0.1
bash "$test_ca" server "$work/trusted" other.example DNS:other.example
bash "$test_ca" ca "$work/unknown"
bash "$test_ca" server "$work/unknown" localhost DNS:localhost IP:127.0.0.1
bash "$test_ca" trust-wine "$work/trusted/ca.pem"
printf '<newdataset>\r\n</newdataset>\r\n' >"$work/request.xml"

# CERTIFICATE HOST EXPECTED. The host is a name: Wine 8 checks a server's
# name against the certificate's DNS names only, never its IP addresses.
cases=(
  "trusted/localhost localhost taken"
  "trusted/other.example localhost refused"
  "unknown/localhost localhost refused"
)
for entry in "${cases[@]}"; do
  read -r cert host want <<<"$entry"
  proxy_start pass --tls "$work/$cert.pem" "$work/$cert.key" || exit 1
  velkor_service_use "https://$host:$PROXY_PORT/"
  status=0
  "$run" "$network_call" "$build/bin" scan "$work/request.xml" >"$work/answer.txt" 2>&1 || status=$?
  if [ "$want" = taken ] && [ "$status" -eq 0 ] && grep -q NewDataSet "$work/answer.txt"; then
    pass "certificate $cert for https://$host/: the signed answer is taken"
  elif [ "$want" = refused ] && [ "$status" -eq 3 ]; then
    pass "certificate $cert for https://$host/: the call fails"
  else
    fail "certificate $cert for https://$host/: exit $status, expected $want"; cat "$work/answer.txt"
  fi
  proxy_stop
done

# The service itself, in plain HTTP, on a name that is not this machine's by
# its text: the call fails (the service sees nothing of it).
velkor_service_use "http://0.0.0.0:$VELKOR_SERVICE_PORT/"
status=0
"$run" "$network_call" "$build/bin" scan "$work/request.xml" >/dev/null 2>&1 || status=$?
if [ "$status" -eq 3 ]; then
  pass "plain HTTP to 0.0.0.0 is refused"
else
  fail "plain HTTP to 0.0.0.0: exit $status"
fi
[ "$failures" -eq 0 ]
