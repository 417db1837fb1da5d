#!/usr/bin/env bash
# Unpacks a Debian source package (with Debian's patches applied) into a cache
# folder, once: the folder is reused by every later build. Then gives the
# build a fresh copy: WORK_DIR is emptied and the sources copied to WORK_DIR/src.
#   fetch_source.sh PACKAGE CACHE_DIR WORK_DIR
# Needs deb-src entries for the package (scripts/install-deps.sh derives them
# from this machine's apt sources).
set -euo pipefail
package="$1"
cache="$2"
work="$3"
mkdir -p "$cache"
found() { find "$cache" -mindepth 1 -maxdepth 1 -type d -name "$package-*" -print -quit; }
source_dir="$(found)"
if [ -z "$source_dir" ]; then
  fetch="$(mktemp -d "$cache/.fetch.XXXXXX")"
  trap 'rm -rf "$fetch"' EXIT
  if ! (cd "$fetch" && apt-get source -q "$package" >"$fetch/apt.log" 2>&1); then
    cat "$fetch/apt.log" >&2
    echo "fetch_source.sh: apt-get source $package failed; run scripts/install-deps.sh (it adds the source entries)" >&2
    exit 1
  fi
  unpacked="$(find "$fetch" -mindepth 1 -maxdepth 1 -type d -name "$package-*" -print -quit)"
  [ -n "$unpacked" ] || { echo "fetch_source.sh: no $package-* folder after apt-get source" >&2; exit 1; }
  mv "$unpacked" "$cache/"
  source_dir="$(found)"
fi
rm -rf "$work"
mkdir -p "$work"
cp -r "$source_dir" "$work/src"
