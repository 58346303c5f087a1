#!/usr/bin/env bash
# Makes 7z archives with 7zz and, beside each, 7zz's own listing (list-with-7zz.sh) for the
# fixture-driven tests to compare with:
#   lzma2_solid.7z, lzma2_nonsolid.7z, stored.7z   a tree with empty files and folders, Chinese names
#   encrypted_data.7z      data encrypted (-p), headers readable
#   encrypted_headers.7z   headers encrypted (-mhe); its listing is the one 7zz gives with the password
#   from_stdin.7z          one item stored without a path (7zz a -si)
#   sfx_stub.exe           lzma2_solid.7z behind a 300,000-byte stub
#   single.7z.001          a whole archive under a first-part name, with no second part
#   split/set.7z.001, .002 a set made by 7zz -v
# Usage: make-7z-fixtures.sh OUTDIR   (OUTDIR is replaced as a whole when everything succeeded)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(realpath -m "${1:?usage: make-7z-fixtures.sh OUTDIR}")
for tool in 7zz awk head seq; do
  command -v "$tool" >/dev/null || { echo "make-7z-fixtures: missing tool: $tool (scripts/install-packages.sh installs it)" >&2; exit 1; }
done

mkdir -p "$(dirname "${out%/}")"
work=$(mktemp -d "${out%/}.tmp.XXXXXX")
trap 'rm -rf "$work"' EXIT
src="$work/src"
mkdir -p "$src/tree/sub/deeper" "$src/tree/empty dir" "$src/tree/中文目录"
printf 'hello\n' > "$src/tree/a.txt"
seq 1 20000 > "$src/tree/sub/numbers.txt"
head -c 70000 /dev/urandom > "$src/tree/sub/deeper/random.bin"
: > "$src/tree/zero-length"
printf '你好，世界\n' > "$src/tree/中文目录/文件.txt"

a7() { 7zz a -bso0 -bsp0 -bse0 "$@"; }
(cd "$src/tree" && a7 -m0=lzma2 -ms=on "$work/lzma2_solid.7z" .)
(cd "$src/tree" && a7 -m0=lzma2 -ms=off "$work/lzma2_nonsolid.7z" .)
(cd "$src/tree" && a7 -mx0 "$work/stored.7z" .)
(cd "$src/tree" && a7 -psecret "$work/encrypted_data.7z" .)
(cd "$src/tree" && a7 -psecret -mhe=on "$work/encrypted_headers.7z" .)
seq 1 3000 | a7 -si "$work/from_stdin.7z"
head -c 300000 /dev/urandom > "$work/stub.bin"
cat "$work/stub.bin" "$work/lzma2_solid.7z" > "$work/sfx_stub.exe"
rm "$work/stub.bin"
cp "$work/lzma2_nonsolid.7z" "$work/single.7z.001"
mkdir -p "$work/split"
head -c 150000 /dev/urandom > "$src/random-150k.bin"
(cd "$src" && a7 -v100k -mx0 "$work/split/set.7z" random-150k.bin tree/a.txt)
rm -rf "$src"

for archive in "$work"/*.7z "$work/sfx_stub.exe" "$work/split/set.7z.001"; do
  case $archive in
    */encrypted_headers.7z) "$here/list-with-7zz.sh" "$archive" -psecret > "$archive.expected" ;;
    *) "$here/list-with-7zz.sh" "$archive" > "$archive.expected" ;;
  esac
done
# 7zz takes a lone .001 for a set; the archive inside is lzma2_nonsolid.7z.
cp "$work/lzma2_nonsolid.7z.expected" "$work/single.7z.001.expected"
rm -rf "$out"
mv "$work" "$out"
trap - EXIT
echo "7z fixtures in $out"
