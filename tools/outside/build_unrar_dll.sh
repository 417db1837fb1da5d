#!/usr/bin/env bash
# Builds unrar.dll (the UnRAR library with its published interface, dll.def)
# from Debian's unrar-nonfree source package with a mingw-w64 compiler.
#   build_unrar_dll.sh CROSS_PREFIX SOURCE_CACHE WORK_DIR OUTPUT_DLL
# CROSS_PREFIX is x86_64-w64-mingw32 or i686-w64-mingw32 (the -posix compilers).
set -euo pipefail
prefix="$1"
cache="$2"
work="$3"
output="$4"
here="$(cd "$(dirname "$0")" && pwd)"
"$here/fetch_source.sh" unrar-nonfree "$cache" "$work"

mkdir -p "$work/include"
cd "$work/src"

# The sources include two system headers in mixed case; mingw ships them in
# lower case, which a case-sensitive file system does not find.
for header in powrprof.h wbemidl.h; do
  found="$(echo '#include <'$header'>' | "$prefix-g++-posix" -x c++ -E -M - 2>/dev/null | tr ' \\' '\n\n' |
           grep -i "/$header\$" | head -n1 || true)"
  [ -n "$found" ] || { echo "build_unrar_dll.sh: $header not found for $prefix" >&2; exit 1; }
  case "$header" in
    powrprof.h) ln -sf "$found" "$work/include/PowrProf.h" ;;
    wbemidl.h) ln -sf "$found" "$work/include/Wbemidl.h" ;;
  esac
done

# The library's objects as its makefile lists them for "lib", and isnt.cpp,
# which the Windows build needs (the system version checks).
objects="rar strlist strfn pathfn smallfn global file filefn filcreat archive arcread unicode system crypt crc
  rawread encname resource match timefn rdwrfn consio options errhnd rarvm secpassword rijndael getbits sha1
  sha256 blake2s hash extinfo extract volume list find unpack headers threadpool rs16 cmddata ui
  filestr scantree dll qopen isnt"
flags=(-O2 -DRARDLL -DUNRAR -DSILENT -D_FILE_OFFSET_BITS=64 -D_LARGEFILE_SOURCE -DRAR_SMP
       -I"$work/include" -w)
built=()
for object in $objects; do
  "$prefix-g++-posix" "${flags[@]}" -c "$object.cpp" -o "$object.o"
  built+=("$object.o")
done
"$prefix-g++-posix" "${flags[@]}" -c "$here/com_util_bstr.cpp" -o com_util_bstr.o
built+=(com_util_bstr.o)

"$prefix-g++-posix" -shared -static -s -o unrar.dll "${built[@]}" dll.def \
  -Wl,--kill-at -Wl,--enable-stdcall-fixup \
  -lpowrprof -lole32 -loleaut32 -lwbemuuid -luuid -ladvapi32 -lshell32
mkdir -p "$(dirname "$output")"
cp unrar.dll "$output.new"
mv "$output.new" "$output"

# The build folder is only needed for the build.
rm -rf "$work"
