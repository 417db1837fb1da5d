#!/usr/bin/env bash
# Unpacks a Debian source package (with Debian's patches applied) into a cache
# folder, once: the folder is reused by every later build.
#   fetch_source.sh PACKAGE CACHE_DIR
# Prints the unpacked source folder. Needs deb-src entries for the package
# (scripts/install-deps.sh derives them from this machine's apt sources).
set -euo pipefail
package="$1"
cache="$2"
mkdir -p "$cache"
found() { find "$cache" -mindepth 1 -maxdepth 1 -type d -name "$package-*" -print -quit; }
source_dir="$(found)"
if [ -z "$source_dir" ]; then
  work="$(mktemp -d "$cache/.fetch.XXXXXX")"
  trap 'rm -rf "$work"' EXIT
  if ! (cd "$work" && apt-get source -q "$package" >"$work/apt.log" 2>&1); then
    cat "$work/apt.log" >&2
    echo "fetch_source.sh: apt-get source $package failed; run scripts/install-deps.sh (it adds the source entries)" >&2
    exit 1
  fi
  unpacked="$(find "$work" -mindepth 1 -maxdepth 1 -type d -name "$package-*" -print -quit)"
  [ -n "$unpacked" ] || { echo "fetch_source.sh: no $package-* folder after apt-get source" >&2; exit 1; }
  mv "$unpacked" "$cache/"
  source_dir="$(found)"
fi
echo "$source_dir"
