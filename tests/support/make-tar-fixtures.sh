#!/usr/bin/env bash
# Makes tar and gzip files with independent tools (GNU tar, bsdtar, gzip) and, beside each, the
# listing the tool itself gives, for the fixture-driven tests to compare with:
#   NAME.expected   tar files: "item<TAB>size<TAB>folder(0/1)<TAB>type<TAB>path" per member from
#                   GNU tar -tv (path without a trailing "/", type the first letter of its mode);
#                   gzip files: "gzip<TAB>uncompressed<TAB>compressed<TAB>name" from gzip -lvN.
# Usage: make-tar-fixtures.sh OUTDIR   (OUTDIR is replaced as a whole when everything succeeded)
set -euo pipefail
. "$(dirname "$0")/fixture-common.sh"
fixture_begin make-tar-fixtures "${1:?usage: make-tar-fixtures.sh OUTDIR}" tar bsdtar gzip awk head truncate
export LC_ALL=C.UTF-8 TZ=UTC
fixture_tree
ln -s a.txt "$src/tree/link-to-a"
ln "$src/tree/a.txt" "$src/tree/hard-a"
# Longer than the 100-byte name field (GNU: ././@LongLink; ustar: prefix; pax: extended header).
long="$src/long/$(printf 'd%.0s' {1..60})/$(printf 'e%.0s' {1..70})"
mkdir -p "$long"
seq 1 300 > "$long/long-file-name.txt"
mkdir -p "$src/sparse"
truncate -s 3M "$src/sparse/holes.bin"
printf 'start' | dd of="$src/sparse/holes.bin" conv=notrunc status=none
printf 'middle' | dd of="$src/sparse/holes.bin" bs=1 seek=1500000 conv=notrunc status=none

(cd "$src" && tar --format=gnu -cf "$work/gnu.tar" tree cn long)
(cd "$src" && tar --format=ustar -cf "$work/ustar.tar" tree cn long)
(cd "$src" && tar --format=pax -cf "$work/pax.tar" tree cn)
(cd "$src" && tar --format=v7 -cf "$work/v7.tar" tree)
(cd "$src" && tar --format=oldgnu -cf "$work/oldgnu.tar" tree long)
(cd "$src" && tar --format=gnu -S -cf "$work/gnu_sparse.tar" sparse tree/a.txt)
(cd "$src" && tar --format=pax -S -cf "$work/pax_sparse.tar" sparse tree/a.txt)
(cd "$src" && bsdtar -cf "$work/bsdtar.tar" tree cn long)
(cd "$src" && bsdtar --format ustar -cf "$work/bsdtar_ustar.tar" tree cn)
gzip -c "$work/gnu.tar" > "$work/gnu.tar.gz"
gzip -9c "$work/ustar.tar" > "$work/ustar.tgz"
gzip -1c "$work/pax.tar" > "$work/pax.tar.gz"
(cd "$src" && bsdtar -czf "$work/bsdtar.tar.gz" tree cn long)
(cd "$src" && tar --format=gnu -czf "$work/many_members.tgz" tree/sub cn)
# A compressed tar cut into two gzip members in the middle of a member's data.
head -c 100000 "$work/v7.tar" | gzip -c > "$work/two_members.tar.gz"
tail -c +100001 "$work/v7.tar" | gzip -c >> "$work/two_members.tar.gz"

# gzip files: a stored name, none (-n), two members, --rsyncable, every level.
cp "$src/tree/sub/numbers.txt" "$work/numbers.txt"
gzip -k "$work/numbers.txt" && mv "$work/numbers.txt.gz" "$work/named.gz"
gzip -nc "$src/tree/sub/numbers.txt" > "$work/no_name.gz"
gzip -c "$src/tree/a.txt" > "$work/two_members.gz"
gzip -c "$src/tree/sub/numbers.txt" >> "$work/two_members.gz"
gzip --rsyncable -c "$src/tree/sub/deeper/random.bin" "$src/tree/sub/numbers.txt" > "$work/rsyncable.gz"
for level in 1 5 9; do gzip -"$level"nc "$src/cn/说明.txt" > "$work/level$level.gz"; done
rm "$work/numbers.txt"

rm -rf "$src"
for archive in "$work"/*.tar "$work"/*.tar.gz "$work"/*.tgz; do
  tar_listing "$archive" > "$archive.expected"
done
for archive in "$work"/*.gz; do
  case $archive in *.tar.gz) continue ;; esac
  gzip -lvN "$archive" | awk 'NR == 2 { name = $9; sub(/.*\//, "", name); printf "gzip\t%s\t%s\t%s\n", $7, $6, name }' > "$archive.gzip-expected"
done
fixture_finish
echo "tar fixtures in $out"
