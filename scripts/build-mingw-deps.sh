#!/usr/bin/env bash
# Builds static mingw-w64 libbz2 and liblzma from Debian's source packages into .deps/mingw64.
# Uses a private apt source list and state folder; the system's apt configuration is untouched.
# Cached: when both libraries are present it returns at once.
#   --with-7zxa   also builds 7-Zip's format library from Debian's 7zip source package as a Windows
#                 DLL, .deps/mingw64/7zxa/7zxa.dll, for the 7z reader's tests under Wine
#                 (KUB_7ZXA='Z:\...\7zxa.dll'). Optional: it takes many minutes on two cores.
set -euo pipefail
with_7zxa=0
[ "${1:-}" = "--with-7zxa" ] && with_7zxa=1
top=$(cd "$(dirname "$0")/.." && pwd)
prefix="$top/.deps/mingw64"
work="$top/.deps/work"
host=x86_64-w64-mingw32

if [ -f "$prefix/lib/libbz2.a" ] && [ -f "$prefix/lib/liblzma.a" ] &&
   { [ $with_7zxa = 0 ] || [ -f "$prefix/7zxa/7zxa.dll" ]; }; then
  exit 0
fi

mkdir -p "$prefix/lib" "$prefix/include" "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/src"
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
echo "deb-src http://deb.debian.org/debian $codename main" >"$work/apt/sources.list"
# The format library is built from the version the security suite carries (the one installed).
[ $with_7zxa = 1 ] && echo "deb-src http://deb.debian.org/debian-security $codename-security main" >>"$work/apt/sources.list"
apt_opts=(-o "Dir::Etc::SourceList=$work/apt/sources.list" -o "Dir::Etc::SourceParts=/dev/null"
          -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache"
          -o "Debug::NoLocking=1" -o "APT::Sandbox::User=root")
apt-get "${apt_opts[@]}" update -qq ||
  { echo "build-mingw-deps: apt-get update of the source list (deb.debian.org) failed" >&2; exit 1; }
cd "$work/src"

# Fetches and unpacks one source package into the current folder and prints its folder; a failure
# (no network, package missing) keeps apt's own messages and names the package.
fetch_source() {
  local package=$1 log dir
  log=$(mktemp)
  if ! apt-get "${apt_opts[@]}" source -qq "$package" >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "build-mingw-deps: apt-get source $package failed" >&2
    return 1
  fi
  rm -f "$log"
  dir=$(ls -d "$package"-*/ 2>/dev/null | head -1)
  if [ -z "$dir" ]; then
    echo "build-mingw-deps: apt-get source $package left no $package-*/ folder" >&2
    return 1
  fi
  echo "$dir"
}

if [ ! -f "$prefix/lib/libbz2.a" ]; then
  rm -rf bzip2-*
  dir=$(fetch_source bzip2)
  (
    cd "$dir"
    objs=()
    for f in blocksort huffman crctable randtable compress decompress bzlib; do
      $host-gcc-posix -O2 -D_FILE_OFFSET_BITS=64 -c "$f.c" -o "$f.o"
      objs+=("$f.o")
    done
    $host-ar rcs "$prefix/lib/libbz2.a" "${objs[@]}"
    cp bzlib.h "$prefix/include/"
  )
fi

if [ ! -f "$prefix/lib/liblzma.a" ]; then
  rm -rf xz-utils-*
  dir=$(fetch_source xz-utils)
  (
    cd "$dir"
    ./configure -q --host=$host CC=$host-gcc-posix --prefix="$prefix" --enable-static --disable-shared \
      --disable-xz --disable-xzdec --disable-lzmadec --disable-lzmainfo --disable-lzma-links \
      --disable-scripts --disable-doc --disable-nls --enable-threads=no >/dev/null
    make -s -j"$(nproc)" -C src/liblzma >/dev/null
    make -s -C src/liblzma install >/dev/null
  )
fi
if [ $with_7zxa = 1 ] && [ ! -f "$prefix/7zxa/7zxa.dll" ]; then
  rm -rf 7zip-*/
  dir=$(fetch_source 7zip)
  # The whole format library (7z.dll): its default format is 7z, as in the extraction-only build.
  # Debian's source has no RAR decoders.
  make -s -j"$(nproc)" -C "$dir/CPP/7zip/Bundles/Format7zF" -f makefile.gcc IS_MINGW=1 IS_X64=1 MSYSTEM=1 \
    DISABLE_RAR_COMPRESS=1 CC=$host-gcc-posix CXX=$host-g++-posix RC=$host-windres CFLAGS_WARN_WALL= \
    O="$work/7zxa-obj" >/dev/null
  mkdir -p "$prefix/7zxa"
  cp "$work/7zxa-obj/7z.dll" "$prefix/7zxa/7zxa.dll"
fi
echo "mingw libraries ready in $prefix"
