#!/usr/bin/env bash
# Runs the page tests with photographs on and turns the photographs into PNG files.
# Usage: info_pages_screenshots.sh SOURCE_DIR WINE_ROOT TEST_EXE OUTPUT_DIR
set -eu
source_dir=$1 root=$2 exe=$3 out=$4
mkdir -p "$out"
shots=$(mktemp -d "$out/.info_pages.XXXXXX")
trap 'rm -rf "$shots"' EXIT
KUB_SCREENSHOT_DIR="Z:$(printf '%s' "$shots" | tr / '\\')" \
  "$source_dir/cmake/wine-run.sh" "$root" "$exe" --gtest_brief=1
count=0
for bmp in "$shots"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "$out/$(basename "${bmp%.bmp}").png"
  count=$((count + 1))
done
[ "$count" -gt 0 ] || { echo "no screenshots taken"; exit 1; }
echo "$count screenshots in $out"
