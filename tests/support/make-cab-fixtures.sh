#!/usr/bin/env bash
# Makes cabinets with gcab (stored and MSZIP, ASCII and Chinese names, one behind a stand-in
# self-extracting module) and, beside each, the listing gcab gives:
#   NAME.expected   "item<TAB>size<TAB>attribs<TAB>date time<TAB>path" per file from gcab -l
# Usage: make-cab-fixtures.sh OUTDIR   (OUTDIR is replaced as a whole when everything succeeded)
set -euo pipefail
. "$(dirname "$0")/fixture-common.sh"
fixture_begin make-cab-fixtures "${1:?usage: make-cab-fixtures.sh OUTDIR}" gcab awk head
export LC_ALL=C.UTF-8 TZ=UTC
fixture_tree
files=(tree/a.txt tree/sub/numbers.txt tree/sub/deeper/random.bin tree/zero-length)
(cd "$src" && gcab -c "$work/stored.cab" "${files[@]}")
(cd "$src" && gcab -cz "$work/mszip.cab" "${files[@]}")
(cd "$src" && gcab -cz "$work/chinese.cab" cn/说明.txt cn/中文目录/文件.txt)
(cd "$src" && gcab -cn "$work/no_path.cab" tree/a.txt tree/sub/numbers.txt)
# A stand-in module of 30000 bytes without the signature in front of a cabinet.
head -c 30000 /dev/zero | tr '\0' 'x' > "$work/sfx.exe"
cat "$work/mszip.cab" >> "$work/sfx.exe"
rm -rf "$src"
for archive in "$work"/*.cab; do
  gcab -l "$archive" | awk '
    {
      n = NF
      path = $1
      for (i = 2; i <= n - 4; ++i) path = path " " $i
      printf "item\t%s\t%s\t%s %s\t%s\n", $(n - 3), $n, $(n - 2), $(n - 1), path
    }' > "$archive.expected"
done
cp "$work/mszip.cab.expected" "$work/sfx.exe.expected"
fixture_finish
echo "cab fixtures in $out"
