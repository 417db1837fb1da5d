#!/usr/bin/env bash
# Runs a Windows GUI test program under Wine on an X display of its own.
#   run_gui_test.sh PROGRAM.exe [ARGS...]
set -euo pipefail
program="$1"; shift
exec "$(dirname "$0")/own_display.sh" "$VELKOR_WINE_RUN" "$program" "$@"
