# Shared by the setup tests (sourced, bash): the installed layout and how to
# read what the setup left in the prefix.
#
# Environment: VELKOR_WINE_RUN, VELKOR_WINEPREFIX, VELKOR_SOURCE_DIR,
# VELKOR_SETUP_FILE (the setup), VELKOR_SETUP_STAGE (its staged x64 and x86
# files), VELKOR_SETUP_HAS_UPDATE_DLL (1 when the build has update.dll),
# VELKOR_WINDOW_PROBE (window_probe.exe).

run() { "$VELKOR_WINE_RUN" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
check() { local what="$1" got="$2" want="$3"; [ "$got" == "$want" ] || fail "$what: got '$got', want '$want'"; echo "ok: $what"; }
strip_cr() { tr -d '\r'; }

if [ ! -f "${VELKOR_SETUP_FILE:-}" ]; then
  # The setup carries the x86 build too, so it is made after both builds
  # (scripts/build.sh win64 win32, or the target velkor_setup).
  echo "SKIP: no setup at '${VELKOR_SETUP_FILE:-}': build the target velkor_setup after the win32 build" >&2
  exit 77
fi

drive="$VELKOR_WINEPREFIX/drive_c"
program="$drive/Program Files/Velkor"
program_win='C:\Program Files\Velkor'
menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Velkor"
desktop="$drive/users/Public/Desktop"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velkor'

# Installed path relative to the program folder, one a line.
setup_layout() {
  printf '%s\n' velkor.exe velkorctl.exe velkor-help.html Network.dll unrar.dll \
    extract/7z.exe xp/vkupdate.exe amd64/vkupdate.exe Vista/vkupdate.exe
  [ "${VELKOR_SETUP_HAS_UPDATE_DLL:-0}" != 1 ] || echo update.dll
}

# The value of NAME under KEY as reg prints it ("TYPE    DATA"), or nothing.
reg_value() {
  run reg query "$1" /v "$2" 2>/dev/null | strip_cr | sed -n "s/^ *$2 \{4\}//p"
}

# Waits up to SECONDS for COMMAND to succeed.
wait_for() {
  local seconds="$1"; shift
  local end=$((SECONDS + seconds))
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.2
  done
}
