#!/usr/bin/env bash
# Runs every libFuzzer target of the fuzz build briefly: run-fuzzers.sh SECONDS (per target).
# Seeds are made first: ZIP, 7z, tar, gzip, bzip2, xz and compress files from the independent tools
# (tests/support/fixtures/make-zip-fixtures.sh, make-7z-fixtures.sh, make-tar-fixtures.sh,
# make-compressed-fixtures.sh, the cab/lzh/uue/arj scripts), ISO 9660 and UDF images
# (make-iso-fixtures.sh) and KUB and ACE archives from our writers, each corpus kept in
# build/fuzz/corpus/NAME.
# KUB_FUZZ_BUILD names another fuzz build tree than build/fuzz.
set -euo pipefail
seconds=${1:-20}
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${KUB_FUZZ_BUILD:-$top/build/fuzz}")  # another fuzz tree may be named here
bin="$build/bin"
seeds="$build/seeds"
[ -d "$bin" ] || { echo "run-fuzzers: no fuzz build (cmake --preset fuzz && cmake --build --preset fuzz)" >&2; exit 1; }

mkdir -p "$seeds/zip" "$seeds/kub" "$seeds/7z"
if [ ! -f "$seeds/zip/.made" ]; then
  "$top/tests/support/fixtures/make-zip-fixtures.sh" "$seeds/zip-full" >/dev/null
  # Large archives slow every run; the small ones cover the same structures.
  find "$seeds/zip-full" -name '*.z*' -size -300k ! -name '*.expected' -exec cp {} "$seeds/zip/" \;
  rm -rf "$seeds/zip-full"
  touch "$seeds/zip/.made"
fi
if [ ! -f "$seeds/7z/.made" ]; then
  "$top/tests/support/fixtures/make-7z-fixtures.sh" "$seeds/7z-full" >/dev/null
  find "$seeds/7z-full" -type f ! -name '*.expected' -size -300k -exec cp {} "$seeds/7z/" \;
  rm -rf "$seeds/7z-full"
  touch "$seeds/7z/.made"
fi
mkdir -p "$seeds/tar" "$seeds/inflate"
if [ ! -f "$seeds/tar/.made" ]; then
  "$top/tests/support/fixtures/make-tar-fixtures.sh" "$seeds/tar-full" >/dev/null
  find "$seeds/tar-full" -type f ! -name '*expected' -size -300k -exec cp {} "$seeds/tar/" \;
  # Raw DEFLATE for the inflate target: gzip files without a stored name, from the OS byte on
  # (the target takes its first byte as the way to cut the input into pieces).
  for f in "$seeds/tar-full"/no_name.gz "$seeds/tar-full"/level*.gz "$seeds/tar-full"/*.tar.gz; do
    tail -c +10 "$f" > "$seeds/inflate/$(basename "$f").deflate"
  done
  rm -rf "$seeds/tar-full"
  touch "$seeds/tar/.made"
fi
# Cabinet, LZH, uuencoded and ARJ files from their tools, small ones only; ACE from our writer.
for kind in cab lzh uue arj; do
  mkdir -p "$seeds/$kind"
  if [ ! -f "$seeds/$kind/.made" ]; then
    "$top/tests/support/fixtures/make-$kind-fixtures.sh" "$seeds/$kind-full" >/dev/null
    find "$seeds/$kind-full" -type f ! -name '*.expected' -size -300k -exec cp {} "$seeds/$kind/" \;
    rm -rf "$seeds/$kind-full"
    touch "$seeds/$kind/.made"
  fi
done
mkdir -p "$seeds/ace"
if [ -x "$bin/make_ace_samples" ] && [ ! -f "$seeds/ace/.made" ]; then
  "$bin/make_ace_samples" "$seeds/ace" >/dev/null && touch "$seeds/ace/.made"
fi
mkdir -p "$seeds/iso"
if [ ! -f "$seeds/iso/.made" ]; then
  "$top/tests/support/fixtures/make-iso-fixtures.sh" "$seeds/iso-full" >/dev/null
  # The images are sparse beyond their structures; the smaller ones are seeds enough.
  find "$seeds/iso-full" -type f ! -name '*.expected' -size -1100k -exec cp {} "$seeds/iso/" \;
  rm -rf "$seeds/iso-full"
  touch "$seeds/iso/.made"
fi
mkdir -p "$seeds/compressed"
if [ ! -f "$seeds/compressed/.made" ]; then
  "$top/tests/support/fixtures/make-compressed-fixtures.sh" "$seeds/compressed-full" >/dev/null
  find "$seeds/compressed-full" -type f ! -name '*.decoded' ! -name '*.expected' -size -300k \
    -exec cp {} "$seeds/compressed/" \;
  rm -rf "$seeds/compressed-full"
  touch "$seeds/compressed/.made"
fi
if [ -x "$bin/make_kub_samples" ] && [ ! -f "$seeds/kub/.made" ]; then
  "$bin/make_kub_samples" "$seeds/kub" >/dev/null && touch "$seeds/kub/.made"
fi

# The targets' scratch input files: in memory when possible, one folder per run, removed at the end
# even when a target crashed and left its file.
scratch_parent=/dev/shm
[ -w "$scratch_parent" ] || scratch_parent=${TMPDIR:-/tmp}
FUZZ_SCRATCH_DIR=$(mktemp -d "$scratch_parent/kub-fuzz.XXXXXX")
export FUZZ_SCRATCH_DIR
trap 'rm -rf "$FUZZ_SCRATCH_DIR"' EXIT

status=0
for target in "$bin"/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  case $name in
    zip_*) seed_dirs=("$seeds/zip") ;;
    kub_*) seed_dirs=("$seeds/kub") ;;
    sevenzip_*) seed_dirs=("$seeds/7z") ;;
    tar_* | gzip_*) seed_dirs=("$seeds/tar") ;;
    inflate_*) seed_dirs=("$seeds/inflate") ;;
    cab_* | lzh_* | uue_* | arj_* | ace_*) seed_dirs=("$seeds/${name%%_*}") ;;
    iso_* | udf_*) seed_dirs=("$seeds/iso") ;;
    bzip2_* | xz_* | z_* | compressed_tar_*) seed_dirs=("$seeds/compressed") ;;
    *) seed_dirs=("$seeds/zip" "$seeds/kub" "$seeds/tar" "$seeds/iso" "$seeds/compressed") ;;
  esac
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  echo "== $name (${seconds}s)"
  if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=1048576 \
       -print_final_stats=1 "$corpus" "${seed_dirs[@]}" 2>"$build/$name.log"; then
    echo "run-fuzzers: $name failed; see $build/$name.log and the crash file it names" >&2
    tail -30 "$build/$name.log" >&2
    status=1
  else
    grep -E 'stat::number_of_executed_units|cov:' "$build/$name.log" | tail -2
  fi
done
exit $status
