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
  # tests, fuzzing, benchmarks
  googletest libbenchmark-dev libclang-rt-14-dev
  wine64 xvfb xauth imagemagick
  libcpp-httplib-dev libsqlite3-dev libarchive-dev libtinyxml2-dev libssl-dev pkg-config zip gcab
  unzip 7zip tzdata
  # the service's PostgreSQL store and its throw-away test server, nginx in front
  # with TLS, signing keys of the test builds and test certificates (openssl)
  libpq-dev postgresql nginx openssl
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
