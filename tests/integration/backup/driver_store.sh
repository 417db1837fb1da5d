#!/usr/bin/env bash
# A driver store on Wine reporting Vista: builds vista-laptop, lays out the
# store package of its network adapter the way Vista keeps it (the package's
# files in FileRepository\<name>.inf_<arch>_<hash>\, a subfolder among them,
# another package beside it), the published copy oem7.inf and the setup log's
# "idb:" lines, then runs driver_store_test.exe against them.
set -euo pipefail
run() { "$VELKOR_WINE_RUN" "$@"; }
build="$VELKOR_BUILD_DIR"
fail() { echo "FAIL: $*" >&2; exit 1; }
log="$(mktemp)"
trap 'rm -f "$log"' EXIT

run "$build/tools/testmachine/testmachine.exe" "$build/tests/fixtures/machines/vista-laptop.json" >"$log" 2>&1 || {
  cat "$log"; fail "vista-laptop was not built"; }

windows="$VELKOR_WINEPREFIX/drive_c/windows"
repository="$windows/system32/DriverStore/FileRepository"
package="$repository/realtek_nic.inf_x86_3b2c1a0f"
mkdir -p "$package/sub" "$repository/usb_hub.inf_x86_9f8e7d6c"
cp "$windows/inf/realtek_nic.inf" "$package/"
cp "$windows/system32/drivers/rtl8168fx.sys" "$package/"
printf 'a co-installer only the store holds\r\n' >"$package/sub/rtlcoinst.dll"
printf 'another package\r\n' >"$repository/usb_hub.inf_x86_9f8e7d6c/usb_hub.inf"
cp "$windows/inf/realtek_nic.inf" "$windows/inf/oem7.inf"
printf '%s\r\n' \
  '[Device Install Log]' \
  '     idb:      Published '"'"'realtek_nic.inf_x86_00000000\realtek_nic.inf'"'"' to '"'"'C:\Windows\INF\oem7.inf'"'"'.' \
  '     idb:      Published '"'"'usb_hub.inf_x86_9f8e7d6c\usb_hub.inf'"'"' to '"'"'C:\Windows\INF\oem8.inf'"'"'.' \
  '     idb:      Published '"'"'realtek_nic.inf_x86_3b2c1a0f\realtek_nic.inf'"'"' to '"'"'C:\Windows\INF\oem7.inf'"'"'.' \
  >"$windows/inf/setupapi.dev.log"

run "$build/tests/integration/backup/driver_store_test.exe"
