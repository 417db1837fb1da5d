#!/usr/bin/env bash
# A damaged list file is deleted at start, unless it is a link or lies behind
# one: the user can write the data folder, and an elevated instance (which is
# what every program is under Wine) must not delete through a link the user
# planted. The links are Unix symbolic links in the prefix, which Wine shows
# as reparse points (folders) or resolves in the file's final path (files).
set -euo pipefail
run="$VELKOR_WINE_RUN"
ctl="$VELKOR_BUILD_DIR/src/app/velkorctl/velkorctl.exe"
prefix="$VELKOR_WINEPREFIX"
failures=0
pass() { echo "ok   $1"; }
fail() { echo "FAIL $1"; failures=$((failures + 1)); }

appdata="$("$run" cmd /c echo %APPDATA% | tr -d '\r')"   # C:\users\NAME\AppData\Roaming
appdata="$prefix/drive_c/$(printf '%s' "${appdata#?:\\}" | tr '\\' /)"
data="$appdata/Velkor"
damaged() { printf '\001\000\000\000' >"$1"; }   # a count, and nothing after it
start() { "$run" "$ctl" settings >/dev/null; }

# 1. The data folder is a link to another folder.
mkdir -p "$appdata" "$prefix/drive_c/victim1"
damaged "$prefix/drive_c/victim1/Download.dat"
damaged "$prefix/drive_c/victim1/Backup.dat"
rm -rf "$data"
ln -s "$prefix/drive_c/victim1" "$data"
start
if [ -f "$prefix/drive_c/victim1/Download.dat" ] && [ -f "$prefix/drive_c/victim1/Backup.dat" ]; then
  pass "lists behind a linked data folder are left alone"
else
  fail "a list behind a linked data folder was deleted"
fi

# 2. The list file itself is a link; beside it a plain damaged list.
rm "$data"
mkdir -p "$data" "$prefix/drive_c/victim2"
damaged "$prefix/drive_c/victim2/precious.dat"
ln -s "$prefix/drive_c/victim2/precious.dat" "$data/Download.dat"
damaged "$data/Backup.dat"
start
if [ -f "$prefix/drive_c/victim2/precious.dat" ] && [ -L "$data/Download.dat" ]; then
  pass "a list file that is a link is left alone, and so is what it points at"
else
  fail "the linked list file or its target was deleted"
fi
if [ ! -e "$data/Backup.dat" ]; then
  pass "a plain damaged list is still deleted"
else
  fail "the plain damaged Backup.dat is still there"
fi
[ "$failures" -eq 0 ]
