#!/usr/bin/env bash
# Makes LZH archives with jlha (header levels 0, 1 and 2, folders, methods -lh0-, -lh5-, -lh6-,
# -lh7-, one behind a stand-in self-extracting module) and, beside each, what lha (lhasa) lists:
#   NAME.expected   "item<TAB>packed<TAB>size<TAB>method<TAB>crc<TAB>path" per member from lha v
# jlha stores names in a code page of its own: the fixtures keep to ASCII names.
# Usage: make-lzh-fixtures.sh OUTDIR   (OUTDIR is replaced as a whole when everything succeeded)
set -euo pipefail
. "$(dirname "$0")/fixture-common.sh"
fixture_begin make-lzh-fixtures "${1:?usage: make-lzh-fixtures.sh OUTDIR}" jlha lha awk head
export LC_ALL=C.UTF-8 TZ=UTC
fixture_tree
rm -rf "$src/cn" "$src/tree/empty dir"
(cd "$src" && for level in 0 1 2; do jlha "c$level" "$work/level$level.lzh" tree >/dev/null; done)
(cd "$src" && jlha cz2 "$work/stored.lzh" tree/a.txt tree/sub/numbers.txt >/dev/null)
(cd "$src" && jlha c1o6 "$work/lh6.lzh" tree/sub >/dev/null)
(cd "$src" && jlha c2o7 "$work/lh7.lha" tree/sub >/dev/null)
head -c 30000 /dev/zero | tr '\0' 'x' > "$work/sfx.exe"
cat "$work/level1.lzh" >> "$work/sfx.exe"
rm -rf "$src"
for archive in "$work"/*.lzh "$work"/*.lha; do
  lha v "$archive" | awk '
    /^(\[[^]]*\]|[-dlrwxsStT]{10} )/ {
      line = $0
      sub(/^(\[[^]]*\]|[-dlrwxsStT]{10} +[0-9]+\/[0-9]+) +/, "", line)
      n = split(line, f, / +/)
      path = f[9]
      for (i = 10; i <= n; ++i) path = path " " f[i]
      sub(/\/$/, "", path)
      printf "item\t%s\t%s\t%s\t%s\t%s\n", f[1], f[2], f[4], f[5], path
    }' > "$archive.expected"
done
cp "$work/level1.lzh.expected" "$work/sfx.exe.expected"
fixture_finish
echo "lzh fixtures in $out"
