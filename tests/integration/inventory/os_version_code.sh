#!/usr/bin/env bash
# The OS version code under each Windows version Wine can pretend to be. The
# test prefix is 64-bit and velkorctl a 64-bit program, so the native
# architecture is x64 throughout.
set -euo pipefail
run="$VELKOR_WINE_RUN"
ctl="$VELKOR_BUILD_DIR/src/app/velkorctl/velkorctl.exe"

# Wine version name, expected "code major.minor".
cases=(
  "win2k 3 5.0"
  "winxp 4 5.1"
  "winxp64 7 5.2"
  "win2003 8 5.2"
  "vista 9 6.0"
  "win2008 11 6.0"
  "win7 -1 6.1"
)
failures=0
for c in "${cases[@]}"; do
  read -r version code numbers <<<"$c"
  "$run" reg.exe add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null
  got="$("$run" "$ctl" osversion | tr -d '\r')"
  if [ "$got" = "$code $numbers" ]; then
    echo "ok   $version: $got"
  else
    echo "FAIL $version: got '$got', expected '$code $numbers'"
    failures=$((failures + 1))
  fi
done
exit "$failures"
