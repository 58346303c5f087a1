#!/usr/bin/env bash
# Makes uuencoded text with uuencode (one section, two sections with text around them, a name
# with a blank, a Chinese name, an empty file) and, beside each, what the encoded input holds:
#   NAME.expected   "item<TAB>size<TAB>name" per section: the encoded file's size and the name
#                   uuencode wrote into its begin line
# Usage: make-uue-fixtures.sh OUTDIR   (OUTDIR is replaced as a whole when everything succeeded)
set -euo pipefail
. "$(dirname "$0")/fixture-common.sh"
fixture_begin make-uue-fixtures "${1:?usage: make-uue-fixtures.sh OUTDIR}" uuencode stat
export LC_ALL=C.UTF-8 TZ=UTC
fixture_tree
size() { stat -c %s "$1"; }
t=$src/tree
uuencode "$t/sub/numbers.txt" numbers.txt > "$work/one.uue"
printf 'item\t%s\tnumbers.txt\n' "$(size "$t/sub/numbers.txt")" > "$work/one.uue.expected"
{
  printf 'From: someone\nSubject: two files\n\nHere they are.\n\n'
  uuencode "$t/a.txt" a.txt
  printf '\nand the second one:\n'
  uuencode "$t/sub/deeper/random.bin" random.bin
  printf -- '-- \nsignature\n'
} > "$work/two.uu"
printf 'item\t%s\ta.txt\nitem\t%s\trandom.bin\n' "$(size "$t/a.txt")" "$(size "$t/sub/deeper/random.bin")" > "$work/two.uu.expected"
uuencode "$t/a.txt" "my notes.txt" > "$work/spaced.uue"
printf 'item\t%s\tmy notes.txt\n' "$(size "$t/a.txt")" > "$work/spaced.uue.expected"
uuencode "$src/cn/说明.txt" 说明.txt > "$work/chinese.uue"
printf 'item\t%s\t说明.txt\n' "$(size "$src/cn/说明.txt")" > "$work/chinese.uue.expected"
uuencode "$t/zero-length" empty > "$work/empty.uue"
printf 'item\t0\tempty\n' > "$work/empty.uue.expected"
rm -rf "$src"
fixture_finish
echo "uue fixtures in $out"
