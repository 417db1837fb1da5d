#!/usr/bin/env bash
# Runs a Windows GUI test program under Wine on a virtual X display.
#   run_gui_test.sh PROGRAM.exe [ARGS...]
set -euo pipefail
program="$1"; shift
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$VELKOR_WINE_RUN" "$program" "$@"
