#!/usr/bin/env bash
# Builds static mingw-w64 libbz2 and liblzma from Debian's source packages into .deps/mingw64.
# Uses a private apt source list and state folder; the system's apt configuration is untouched.
# Cached: when both libraries are present it returns at once.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
prefix="$top/.deps/mingw64"
work="$top/.deps/work"
host=x86_64-w64-mingw32

if [ -f "$prefix/lib/libbz2.a" ] && [ -f "$prefix/lib/liblzma.a" ]; then
  exit 0
fi

mkdir -p "$prefix/lib" "$prefix/include" "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/src"
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
echo "deb-src http://deb.debian.org/debian $codename main" >"$work/apt/sources.list"
apt_opts=(-o "Dir::Etc::SourceList=$work/apt/sources.list" -o "Dir::Etc::SourceParts=/dev/null"
          -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache"
          -o "Debug::NoLocking=1" -o "APT::Sandbox::User=root")
apt-get "${apt_opts[@]}" update -qq
cd "$work/src"

if [ ! -f "$prefix/lib/libbz2.a" ]; then
  rm -rf bzip2-*
  apt-get "${apt_opts[@]}" source -qq bzip2 >/dev/null 2>&1
  dir=$(ls -d bzip2-*/ | head -1)
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
  apt-get "${apt_opts[@]}" source -qq xz-utils >/dev/null 2>&1
  dir=$(ls -d xz-utils-*/ | head -1)
  (
    cd "$dir"
    ./configure -q --host=$host CC=$host-gcc-posix --prefix="$prefix" --enable-static --disable-shared \
      --disable-xz --disable-xzdec --disable-lzmadec --disable-lzmainfo --disable-lzma-links \
      --disable-scripts --disable-doc --disable-nls --enable-threads=no >/dev/null
    make -s -j"$(nproc)" -C src/liblzma >/dev/null
    make -s -C src/liblzma install >/dev/null
  )
fi
echo "mingw libraries ready in $prefix"
