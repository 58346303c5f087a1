#!/usr/bin/env bash
# Makes ARJ archives with arj (files; folders with -a1; an archive comment; -m0 and -m4; a
# multi-volume set .arj, .a01...; a self-extracting one) and, beside each file of them, what
# arj v lists for it:
#   NAME.expected   "item<TAB>original<TAB>compressed<TAB>mode<TAB>path" per entry
#   comment.arj.comment   the comment given to arj
# Usage: make-arj-fixtures.sh OUTDIR   (OUTDIR is replaced as a whole when everything succeeded)
set -euo pipefail
. "$(dirname "$0")/fixture-common.sh"
fixture_begin make-arj-fixtures "${1:?usage: make-arj-fixtures.sh OUTDIR}" arj awk head
export LC_ALL=C.UTF-8 TZ=UTC
fixture_tree
rm -rf "$src/cn"
head -c 150000 /dev/urandom > "$src/big.bin"
printf 'An archive comment\nin two lines\n' > "$work/comment.arj.comment"
(
  cd "$src"
  arj a -r "$work/files.arj" tree >/dev/null
  arj a -a1 -r "$work/folders.arj" tree >/dev/null
  arj a -z"$work/comment.arj.comment" "$work/comment.arj" tree/a.txt >/dev/null
  arj a -m0 -r "$work/m0.arj" tree/sub >/dev/null
  arj a -m4 -r "$work/m4.arj" tree/sub >/dev/null
  arj a -v60k -y "$work/volumes.arj" big.bin tree/a.txt >/dev/null
  arj a -je "$work/sfx.exe" tree/a.txt tree/sub/numbers.txt >/dev/null
)
rm -rf "$src"
for archive in "$work"/*.arj "$work"/*.a[0-9][0-9] "$work"/*.exe; do
  arj v "$archive" | awk '
    /^[0-9]+\) / { path = $0; sub(/^[0-9]+\) /, "", path); want = 1; next }
    want { printf "item\t%s\t%s\t%s\t%s\n", $3, $4, $8, path; want = 0 }' > "$archive.expected"
done
fixture_finish
echo "arj fixtures in $out"
