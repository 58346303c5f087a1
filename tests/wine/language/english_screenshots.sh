#!/usr/bin/env bash
# The context menu, the information and comment pages and the setup dialogs with the language
# folder pointing at the built English module and files, photographed for a person to look at.
# Usage: english_screenshots.sh SOURCE_DIR WINE_ROOT ENGLISH_DIR MENU_TEST INFO_TEST SETUP_TEST
#                               UNINSTALL_EXE OUT
set -eu
source_dir=$1 root=$2 english=$3 menu_test=$4 info_test=$5 setup_test=$6 uninstall=$7 out=$8
mkdir -p "$out"
export KUB_LANGUAGE_FOLDER="Z:$(printf '%s' "$english" | tr / '\\')"
"$source_dir/tests/wine/menu/menu_screenshot.sh" "$source_dir" "$root" "$menu_test" "$out"
"$source_dir/tests/wine/setup/setup_dialogs_screenshots.sh" "$source_dir" "$root" "$setup_test" "$out"
display=$(cat "$root/display")

# One archive's menu: the extraction commands.
KUB_SHOW_MENU_SECONDS=30 KUB_MENU_MODE=flat KUB_MENU_ARCHIVE_ONLY=1 \
  "$source_dir/cmake/wine-run.sh" "$root" "$menu_test" --gtest_filter='*ShowForScreenshot*' \
  >/dev/null 2>&1 &
"$source_dir/tests/wine/photograph.sh" "$display" "$out/menu_archive.png" $! \
  "rgb(255,255,255)" 5000 800x600+0+0 "rgb(92,58,18)" 100 800x600+0+0

# A message box of the setup program: "/warning" tells what to delete by hand.
"$source_dir/cmake/wine-run.sh" "$root" reg add 'HKCU\Software\Korvex\General' /v LanguageFolder \
  /t REG_SZ /d "$KUB_LANGUAGE_FOLDER" /f >/dev/null 2>&1
"$source_dir/cmake/wine-run.sh" "$root" "$uninstall" /warning >/dev/null 2>&1 &
"$source_dir/tests/wine/photograph.sh" "$display" "$out/message_box.png" $! \
  "rgb(245,245,245)" 20000 1280x1024+0+0 || status=$?
"$source_dir/cmake/wine-run.sh" "$root" reg delete 'HKCU\Software\Korvex\General' /v LanguageFolder \
  /f >/dev/null 2>&1
[ "${status:-0}" -eq 0 ]
shots=$(mktemp -d "$out/.info_pages.XXXXXX")
trap 'rm -rf "$shots"' EXIT
KUB_SCREENSHOT_DIR="Z:$(printf '%s' "$shots" | tr / '\\')" \
  "$source_dir/cmake/wine-run.sh" "$root" "$info_test" --gtest_brief=1 \
  --gtest_filter='*EnglishPagesFromTheLanguageFolder*'
# The restart message after setup, while an earlier extension is still in use.
KUB_SCREENSHOT_DIR="Z:$(printf '%s' "$shots" | tr / '\\')" \
  "$source_dir/cmake/wine-run.sh" "$root" "$setup_test" --gtest_brief=1 \
  --gtest_filter='*EnglishRestartMessageForScreenshot*'
for bmp in "$shots"/*.bmp; do
  convert "$bmp" "$out/$(basename "${bmp%.bmp}").png"
  echo "screenshot: $out/$(basename "${bmp%.bmp}").png"
done
