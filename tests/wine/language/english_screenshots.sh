#!/usr/bin/env bash
# The context menu, the information and comment pages and the setup dialogs with the language
# folder pointing at the built English module and files, photographed for a person to look at.
# Usage: english_screenshots.sh SOURCE_DIR WINE_ROOT ENGLISH_DIR MENU_TEST INFO_TEST SETUP_TEST OUT
set -eu
source_dir=$1 root=$2 english=$3 menu_test=$4 info_test=$5 setup_test=$6 out=$7
mkdir -p "$out"
export KUB_LANGUAGE_FOLDER="Z:$(printf '%s' "$english" | tr / '\\')"
"$source_dir/tests/wine/menu/menu_screenshot.sh" "$source_dir" "$root" "$menu_test" "$out"
"$source_dir/tests/wine/setup/setup_dialogs_screenshots.sh" "$source_dir" "$root" "$setup_test" "$out"
shots=$(mktemp -d "$out/.info_pages.XXXXXX")
trap 'rm -rf "$shots"' EXIT
KUB_SCREENSHOT_DIR="Z:$(printf '%s' "$shots" | tr / '\\')" \
  "$source_dir/cmake/wine-run.sh" "$root" "$info_test" --gtest_brief=1 \
  --gtest_filter='*EnglishPagesFromTheLanguageFolder*'
for bmp in "$shots"/*.bmp; do
  convert "$bmp" "$out/$(basename "${bmp%.bmp}").png"
  echo "screenshot: $out/$(basename "${bmp%.bmp}").png"
done
