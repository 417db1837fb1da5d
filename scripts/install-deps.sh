#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing Velkor need.
# Quick when everything is there already: apt runs only for missing packages.
#   scripts/install-deps.sh
set -euo pipefail

packages=(
  # build
  cmake ninja-build ccache g++ clang git python3
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev
  zlib1g-dev nlohmann-json3-dev
  # the outside tools beside the programs are built from Debian's source
  # packages (7zip, unrar-nonfree): apt-get source needs dpkg-source
  dpkg-dev make
  # tests, fuzzing, benchmarks
  googletest libbenchmark-dev libclang-rt-14-dev
  wine64 xvfb xauth imagemagick
  # the x86 build's tests: a multiarch Wine runs 32-bit programs in the 64-bit
  # prefix through WOW64, as 64-bit Windows does
  wine32:i386
  libcpp-httplib-dev libsqlite3-dev libarchive-dev libtinyxml2-dev libssl-dev pkg-config zip gcab
  unzip 7zip tzdata
  # RAR test packages (non-free); native extraction figures of the unpack benchmark
  rar unrar
  # the service's PostgreSQL store and its throw-away test server, nginx in front
  # with TLS, signing keys of the test builds and test certificates (openssl)
  libpq-dev postgresql nginx openssl
  # the setup (makensis)
  nsis
)

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

# Source packages and the non-free component come from the mirrors this machine
# already uses: the entries are derived from its own Debian sources (the same
# URIs, suites and keys), so nothing here names a host. Third-party lists in
# sources.list.d are left out; only Debian's own files are read.
derived_sources() {
  local deb822=/etc/apt/sources.list.d/debian.sources
  local classic=/etc/apt/sources.list
  if [ -f "$deb822" ]; then
    # One stanza per source; keep the stanzas that hold Debian's "main".
    awk '
      function flush() {
        if (types ~ /(^| )deb( |$)/ && comps ~ /(^| )main( |$)/ && uris != "") {
          printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main non-free\n", uris, suites
          if (signed != "") printf "Signed-By: %s\n", signed
          printf "\nTypes: deb\nURIs: %s\nSuites: %s\nComponents: non-free\n", uris, suites
          if (signed != "") printf "Signed-By: %s\n", signed
          printf "\n"
        }
        types = uris = suites = comps = signed = ""
      }
      /^[ \t]*#/ { next }
      /^[ \t]*$/ { flush(); next }
      { key = $1; sub(/:$/, "", key); $1 = ""; sub(/^ +/, ""); value = $0 }
      key == "Types" { types = value }
      key == "URIs" { uris = value }
      key == "Suites" { suites = value }
      key == "Components" { comps = value }
      key == "Signed-By" { signed = value }
      END { flush() }
    ' "$deb822"
  fi
  if [ -f "$classic" ]; then
    # One-line form: deb [options] URI suite component...
    awk '
      $1 == "deb" {
        line = $0; sub(/^deb[ \t]+/, "", line)
        opts = ""
        if (line ~ /^\[/) { opts = substr(line, 1, index(line, "]")); line = substr(line, index(line, "]") + 1); sub(/^[ \t]+/, "", line) }
        n = split(line, f, /[ \t]+/)
        main = 0
        for (i = 3; i <= n; i++) if (f[i] == "main") main = 1
        if (!main) next
        sep = (opts == "") ? "" : opts " "
        printf "deb-src %s%s %s main non-free\n", sep, f[1], f[2]
        printf "deb %s%s %s non-free\n", sep, f[1], f[2]
      }
    ' "$classic"
  fi
}

ensure_derived_sources() {
  local target text
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    target=/etc/apt/sources.list.d/velkor-derived.sources
  else
    target=/etc/apt/sources.list.d/velkor-derived.list
  fi
  text=$(derived_sources)
  if [ -z "$text" ]; then
    echo "install-deps: no Debian sources found to derive source entries from" >&2
    return 1
  fi
  if [ -f "$target" ] && [ "$(cat "$target")" == "$text" ]; then
    return 1  # unchanged: no update needed
  fi
  echo "writing $target (source and non-free entries of this machine's mirrors)"
  printf '%s\n' "$text" | $sudo tee "$target" >/dev/null
  return 0
}

updated=0
# wine32 is an i386 package: the architecture must be known before apt can
# find it, and apt's lists must then be read again.
foreign_added=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "adding the i386 architecture (32-bit Wine)"
  $sudo dpkg --add-architecture i386
  foreign_added=1
fi
if ensure_derived_sources || [ "$foreign_added" -eq 1 ]; then
  $sudo apt-get update -q
  updated=1
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "installing: ${missing[*]}"
if [ "$updated" -eq 0 ]; then $sudo apt-get update -q; fi
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
