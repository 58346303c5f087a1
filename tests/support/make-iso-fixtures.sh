#!/usr/bin/env bash
# Makes ISO 9660 and UDF images with independent tools (genisoimage, xorriso, mkudffs) and, beside
# each, the listing a tool itself gives, for the fixture-driven tests to compare with:
#   NAME.expected   "item<TAB>size<TAB>folder(0/1)<TAB>path" per file and folder ("/" separators,
#                   no leading "/"): from isoinfo -l for images read through their ISO 9660 names
#                   (names as recorded, version suffix included), from xorriso -find for images
#                   with Joliet or UDF names; "udf<TAB>revision" for the empty mkudffs volumes,
#                   the revision udfinfo reports.
# Usage: make-iso-fixtures.sh OUTDIR   (OUTDIR is replaced as a whole when everything succeeded)
set -euo pipefail
. "$(dirname "$0")/fixture-common.sh"
fixture_begin make-iso-fixtures "${1:?usage: make-iso-fixtures.sh OUTDIR}" genisoimage isoinfo xorriso mkudffs udfinfo awk
export LC_ALL=C.UTF-8 TZ=UTC
fixture_tree
# Ten levels: Rock Ridge images relocate what lies deeper than eight.
deep="$src/deep"
for level in 1 2 3 4 5 6 7 8 9 10; do deep="$deep/l$level"; done
mkdir -p "$deep"
printf 'bottom\n' > "$deep/bottom.txt"
# 130 levels of one-letter folders (the reader builds paths of at most 128 ancestors).
deeper="$src/deeper"
for level in $(seq 1 130); do deeper="$deeper/d"; done
mkdir -p "$deeper"
printf 'leaf\n' > "$deeper/leaf.txt"

g() { genisoimage -quiet -input-charset utf-8 "$@"; }
g -o "$work/plain.iso" "$src/tree"
g -J -o "$work/joliet.iso" "$src/tree" "$src/cn"
g -R -o "$work/rockridge.iso" "$src/tree"
g -T -o "$work/trans_tbl.iso" "$src/tree"
(cd "$src" && g -R -o "$work/deep_relocated.iso" deep)
(cd "$src" && g -D -o "$work/deep_kept.iso" deep)
(cd "$src" && g -D -o "$work/deep_130.iso" deeper)
g -J -udf -o "$work/udf_hybrid.iso" "$src/tree" "$src/cn"
xorriso -report_about SORRY -outdev "$work/xorriso_joliet.iso" -joliet on -map "$src/tree" / -map "$src/cn" /cn >/dev/null 2>&1
xorriso -report_about SORRY -outdev "$work/xorriso_plain.iso" -rockridge off -map "$src/tree" / >/dev/null 2>&1
mkudffs -b 2048 --media-type=hd --udfrev=0x0201 --new-file "$work/mkudffs_hd.img" 400 >/dev/null
mkudffs -b 2048 --media-type=cdr --udfrev=0x0201 --new-file "$work/mkudffs_cdr.img" 400 >/dev/null
mkudffs -b 2048 --media-type=cdrw --udfrev=0x0201 --new-file "$work/mkudffs_cdrw.img" 3000 >/dev/null
rm -rf "$src"

isoinfo_listing() {
  isoinfo -l -i "$1" | awk '
    /^Directory listing of / { dir = substr($0, 23); sub(/^\//, "", dir); next }
    /^[d-]/ {
      name = substr($0, index($0, "]  ") + 3); sub(/ +$/, "", name)
      if (name == "." || name == "..") next
      printf "item\t%s\t%d\t%s%s\n", $5, (substr($1, 1, 1) == "d"), dir, name
    }'
}
xorriso_listing() {
  xorriso -report_about SORRY -indev "$1" -find / -exec lsdl 2>/dev/null | awk '
    /^[d-]/ {
      path = $0; sub(/^[^\x27]*\x27/, "", path); sub(/\x27$/, "", path); sub(/^\//, "", path)
      if (path == "") next
      printf "item\t%s\t%d\t%s\n", $5, (substr($1, 1, 1) == "d"), path
    }'
}
for image in plain rockridge trans_tbl deep_relocated deep_kept deep_130 xorriso_plain; do
  isoinfo_listing "$work/$image.iso" > "$work/$image.iso.expected"
done
for image in joliet udf_hybrid xorriso_joliet; do
  xorriso_listing "$work/$image.iso" > "$work/$image.iso.expected"
done
for image in "$work"/*.img; do
  udfinfo "$image" | awk -F= '$1 == "udfrev" { printf "udf\t%s\n", $2 }' > "$image.expected"
done
fixture_finish
echo "iso fixtures in $out"
