#!/usr/bin/env bash
# Makes bzip2, xz and compress files with the tools themselves and, beside each, what the tool
# decodes them to, for the fixture-driven tests to compare with:
#   NAME.decoded    bzip2 -dc / xz -dc / compress -dc of NAME
#   NAME.expected   compressed tar files: GNU tar -tv of them (see tar_listing in fixture-common.sh)
# Usage: make-compressed-fixtures.sh OUTDIR   (OUTDIR is replaced as a whole when everything
# succeeded)
set -euo pipefail
. "$(dirname "$0")/fixture-common.sh"
fixture_begin make-compressed-fixtures "${1:?usage: make-compressed-fixtures.sh OUTDIR}" \
  tar bzip2 xz compress gzip awk head
export LC_ALL=C.UTF-8 TZ=UTC
fixture_tree
# Long runs of one byte (KwKwK codes at every step of LZW) and text, then random bytes: enough
# for the compress tables to fill and for clear codes at the narrower widths.
mkdir -p "$src/runs"
head -c 100000 /dev/zero | tr '\0' 'a' > "$src/runs/aaa.txt"
seq 1 12000 | sed 's/$/ window block table/' > "$src/runs/text.txt"
(cd "$src" && tar --format=gnu -cf "$work/plain.tar" tree cn runs)
cat "$src/runs/aaa.txt" "$src/runs/text.txt" "$src/tree/sub/deeper/random.bin" > "$work/mixed.bin"
data="$work/mixed.bin"

# bzip2: both block sizes, two streams, an empty stream in front, bytes after the last stream.
bzip2 -9c "$data" > "$work/level9.bz2"
bzip2 -1c "$data" > "$work/level1.bz2"
bzip2 -c "$src/tree/a.txt" > "$work/two_streams.bz2"
bzip2 -c "$src/runs/text.txt" >> "$work/two_streams.bz2"
: | bzip2 -c > "$work/empty_first.bz2"
bzip2 -c "$src/tree/sub/numbers.txt" >> "$work/empty_first.bz2"
bzip2 -c "$src/tree/sub/numbers.txt" > "$work/trailing_bytes.bz2"
printf 'not a bzip2 stream' >> "$work/trailing_bytes.bz2"

# xz: every check, the branch filters and delta, two streams, stream padding, several blocks.
for check in none crc32 crc64 sha256; do xz -c --check="$check" "$data" > "$work/check_$check.xz"; done
for filter in x86 powerpc ia64 arm armthumb sparc; do
  xz -c --"$filter" --lzma2=preset=6 "$data" > "$work/filter_$filter.xz"
done
xz -c --delta=dist=4 --lzma2=preset=1 "$data" > "$work/filter_delta.xz"
xz -c "$src/tree/a.txt" > "$work/two_streams.xz"
xz -c "$src/runs/text.txt" >> "$work/two_streams.xz"
xz -c "$src/tree/a.txt" > "$work/padded.xz"
head -c 8 /dev/zero >> "$work/padded.xz"
xz -c "$src/tree/sub/numbers.txt" >> "$work/padded.xz"
head -c 4 /dev/zero >> "$work/padded.xz"
xz -c --block-size=40000 "$data" > "$work/blocks.xz"

# compress: the code widths 10 to 16. compress 4.2.4.6 cannot decode what it writes with -b9 or
# -C (block mode off): its encoder and decoder disagree there, so those files prove nothing; the
# unit tests build such streams code by code instead.
for bits in 10 11 12 13 14 15 16; do compress -b "$bits" -c "$data" > "$work/bits$bits.Z"; done

# Compressed tars under every name the tar reader knows them by.
# Blocks of 100 kB: a cut file still holds whole blocks, and so a prefix of the members.
bzip2 -1c "$work/plain.tar" > "$work/gnu.tar.bz2"
bzip2 -c "$work/plain.tar" > "$work/gnu.tbz2"
xz -c "$work/plain.tar" > "$work/gnu.tar.xz"
xz -c --check=sha256 "$work/plain.tar" > "$work/gnu.txz"
compress -c "$work/plain.tar" > "$work/gnu.tar.Z"
compress -b 12 -c "$work/plain.tar" > "$work/gnu.taz"

rm -rf "$src" "$data" "$work/plain.tar"
cd "$work"
for f in *.bz2 *.tbz2; do bzip2 -dc "$f" > "$f.decoded" 2>/dev/null || [ "$f" = trailing_bytes.bz2 ]; done
for f in *.xz *.txz; do xz -dc "$f" > "$f.decoded"; done
for f in bits1?.Z gnu.tar.Z gnu.taz; do compress -dc < "$f" > "$f.decoded"; done
for f in gnu.tar.bz2 gnu.tbz2 gnu.tar.xz gnu.txz gnu.tar.Z gnu.taz; do tar_listing "$f" > "$f.expected"; done
cd - >/dev/null
fixture_finish
echo "compressed fixtures in $out"
