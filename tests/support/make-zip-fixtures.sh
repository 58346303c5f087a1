#!/usr/bin/env bash
# Makes ZIP archives with independent tools (zip, 7zz, bsdtar) and, beside each, the listing the
# tool's own lister gives, for the fixture-driven tests to compare with:
#   NAME.expected   "item<TAB>size<TAB>packed<TAB>folder(0/1)<TAB>path" per entry (7zz l -slt),
#                   then "zipinfo<TAB>entries<TAB>unpacked<TAB>packed" when zipinfo reads it.
#   split/          a set made by zip -s (.z01 ... .zip), listed from its .zip.
# Usage: make-zip-fixtures.sh OUTDIR   (OUTDIR is replaced as a whole when everything succeeded)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$(dirname "$0")/fixture-common.sh"
fixture_begin make-zip-fixtures "${1:?usage: make-zip-fixtures.sh OUTDIR}" zip zipinfo 7zz bsdtar awk head
fixture_tree

expect() {  # ARCHIVE [LISTED]: writes ARCHIVE.expected from the tools' listings of LISTED
  local archive=$1 listed=${2:-$1}
  "$here/list-with-7zz.sh" "$listed" > "$archive.expected"
  if zipinfo -t "$archive" >/dev/null 2>&1; then
    zipinfo -t "$archive" | awk '{ gsub(",", ""); printf "zipinfo\t%s\t%s\t%s\n", $1, $3, $6 }' >> "$archive.expected"
  fi
}

(cd "$src/tree" && zip -qr "$work/zip_deflate.zip" .)
(cd "$src/tree" && zip -qr0 "$work/zip_stored.zip" .)
(cd "$src/tree" && zip -qrX "$work/zip_no_extra.zip" .)
(cd "$src" && zip -qr "$work/zip_chinese_extra_field.zip" cn)
(cd "$src" && zip -qr -UN=UTF8 "$work/zip_chinese_utf8_flag.zip" cn)
(cd "$src/tree" && printf 'comment of a.txt\ncomment of numbers\n' | zip -qc "$work/zip_comments.zip" a.txt sub/numbers.txt)
printf 'archive comment\nsecond line\n' | zip -qz "$work/zip_comments.zip"
(cd "$src/tree" && zip -qr -P secret "$work/zip_encrypted.zip" .)
(cd "$src/tree" && zip -qr -fz "$work/zip_zip64_extra.zip" .)
(cd "$src/tree" && 7zz a -tzip -bso0 -bsp0 "$work/7zz_deflate.zip" .)
(cd "$src/tree" && 7zz a -tzip -mx0 -bso0 -bsp0 "$work/7zz_stored.zip" .)
(cd "$src" && 7zz a -tzip -bso0 -bsp0 "$work/7zz_chinese.zip" cn)
(cd "$src/tree" && 7zz a -tzip -psecret -mem=AES256 -bso0 -bsp0 "$work/7zz_aes.zip" .)
(cd "$src" && bsdtar --format zip -cf "$work/bsdtar_deflate.zip" tree cn)
(cd "$src" && bsdtar --format zip --options zip:compression=store -cf "$work/bsdtar_stored.zip" tree)

# An SFX-like file: 100,000 random bytes in front, offsets left as they were and adjusted.
head -c 100000 /dev/urandom > "$work/stub.bin"
cat "$work/stub.bin" "$work/zip_deflate.zip" > "$work/prepended.zip"
cat "$work/stub.bin" "$work/zip_deflate.zip" > "$work/prepended_adjusted.zip"
zip -qA "$work/prepended_adjusted.zip"
rm "$work/stub.bin"

# An empty archive: the end record alone.
printf 'PK\005\006\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000' > "$work/empty.zip"

# More entries than the end record can count: zip writes the zip64 end records.
mkdir -p "$src/many"
(cd "$src/many" && seq -f 'f%05g' 1 65600 | xargs touch)
(cd "$src" && zip -qr0 "$work/zip64_many_entries.zip" many)

# A split set; the analysis is pointed at its first and at its last piece.
mkdir -p "$work/split"
head -c 200000 /dev/urandom > "$src/random-200k.bin"
(cd "$src" && zip -q -s 64k "$work/split/set.zip" random-200k.bin tree/a.txt)

rm -rf "$src"
for archive in "$work"/*.zip "$work/split/set.zip"; do
  case $archive in
    # 7zz will not open a .zip with a stub in front; the entries are those of the original.
    */prepended*.zip) expect "$archive" "$work/zip_deflate.zip" ;;
    *) expect "$archive" ;;
  esac
done
fixture_finish
echo "zip fixtures in $out"
