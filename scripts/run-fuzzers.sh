#!/usr/bin/env bash
# Runs every libFuzzer target of the fuzz build briefly: run-fuzzers.sh SECONDS (per target).
# Seeds are made first: ZIP, tar, gzip, bzip2, xz and compress files from the independent tools
# (tests/support/make-zip-fixtures.sh, make-tar-fixtures.sh, make-compressed-fixtures.sh) and
# KUB archives from our writer
# (make_kub_samples), each corpus kept in build/fuzz/corpus/NAME.
# KUB_FUZZ_BUILD names another fuzz build tree than build/fuzz.
set -euo pipefail
seconds=${1:-20}
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${KUB_FUZZ_BUILD:-$top/build/fuzz}")  # another fuzz tree may be named here
bin="$build/bin"
seeds="$build/seeds"
[ -d "$bin" ] || { echo "run-fuzzers: no fuzz build (cmake --preset fuzz && cmake --build --preset fuzz)" >&2; exit 1; }

mkdir -p "$seeds/zip" "$seeds/kub"
if [ ! -f "$seeds/zip/.made" ]; then
  "$top/tests/support/make-zip-fixtures.sh" "$seeds/zip-full" >/dev/null
  # Large archives slow every run; the small ones cover the same structures.
  find "$seeds/zip-full" -name '*.z*' -size -300k ! -name '*.expected' -exec cp {} "$seeds/zip/" \;
  rm -rf "$seeds/zip-full"
  touch "$seeds/zip/.made"
fi
mkdir -p "$seeds/tar" "$seeds/inflate"
if [ ! -f "$seeds/tar/.made" ]; then
  "$top/tests/support/make-tar-fixtures.sh" "$seeds/tar-full" >/dev/null
  find "$seeds/tar-full" -type f ! -name '*expected' -size -300k -exec cp {} "$seeds/tar/" \;
  # Raw DEFLATE for the inflate target: gzip files without a stored name, from the OS byte on
  # (the target takes its first byte as the way to cut the input into pieces).
  for f in "$seeds/tar-full"/no_name.gz "$seeds/tar-full"/level*.gz "$seeds/tar-full"/*.tar.gz; do
    tail -c +10 "$f" > "$seeds/inflate/$(basename "$f").deflate"
  done
  rm -rf "$seeds/tar-full"
  touch "$seeds/tar/.made"
fi
mkdir -p "$seeds/compressed"
if [ ! -f "$seeds/compressed/.made" ]; then
  "$top/tests/support/make-compressed-fixtures.sh" "$seeds/compressed-full" >/dev/null
  find "$seeds/compressed-full" -type f ! -name '*.decoded' ! -name '*.expected' -size -300k \
    -exec cp {} "$seeds/compressed/" \;
  rm -rf "$seeds/compressed-full"
  touch "$seeds/compressed/.made"
fi
if [ -x "$bin/make_kub_samples" ] && [ ! -f "$seeds/kub/.made" ]; then
  "$bin/make_kub_samples" "$seeds/kub" >/dev/null && touch "$seeds/kub/.made"
fi

status=0
for target in "$bin"/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  case $name in
    zip_*) seed_dirs=("$seeds/zip") ;;
    kub_*) seed_dirs=("$seeds/kub") ;;
    tar_* | gzip_*) seed_dirs=("$seeds/tar") ;;
    inflate_*) seed_dirs=("$seeds/inflate") ;;
    bzip2_* | xz_* | z_* | compressed_tar_*) seed_dirs=("$seeds/compressed") ;;
    *) seed_dirs=("$seeds/zip" "$seeds/kub" "$seeds/tar" "$seeds/compressed") ;;
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
