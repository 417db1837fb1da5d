#!/usr/bin/env bash
# Builds the 7-Zip console program (7z.exe) and its console self-extracting
# module (7zCon.sfx) from Debian's 7zip source package with a mingw-w64
# compiler. Debian's source has no RAR code, hence DISABLE_RAR.
#   build_7zip.sh CROSS_PREFIX SOURCE_CACHE WORK_DIR OUTPUT_DIR
# CROSS_PREFIX is x86_64-w64-mingw32 or i686-w64-mingw32 (the -posix compilers).
set -euo pipefail
prefix="$1"
cache="$2"
work="$3"
output="$4"
here="$(cd "$(dirname "$0")" && pwd)"
"$here/fetch_source.sh" 7zip "$cache" "$work"

mkdir -p "$output"
tools=(IS_MINGW=1 DISABLE_RAR=1 CC="$prefix-gcc-posix" CXX="$prefix-g++-posix" RC="$prefix-windres")

build() {  # BUNDLE PROGRAM OUTPUT_NAME
  (cd "$work/src/CPP/7zip/Bundles/$1" && make -s -j2 -f makefile.gcc "${tools[@]}" >"$work/$1.log" 2>&1) || {
    tail -n 30 "$work/$1.log" >&2
    echo "build_7zip.sh: building $1 failed (log: $work/$1.log)" >&2
    exit 1
  }
  cp "$work/src/CPP/7zip/Bundles/$1/_o/$2" "$output/$3.new"
  mv "$output/$3.new" "$output/$3"
}
build Alone2 7zz.exe 7z.exe
build SFXCon 7zCon.exe 7zCon.sfx

# The build folder is only needed for the build.
rm -rf "$work"
