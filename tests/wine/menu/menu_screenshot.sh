#!/usr/bin/env bash
# Shows the extension's menu under Wine, flat and cascaded, and photographs the display.
# Usage: menu_screenshot.sh SOURCE_DIR WINE_ROOT TEST_EXE OUTPUT_DIR
set -eu
source_dir=$1 root=$2 exe=$3 out=$4
mkdir -p "$out"
display=$(cat "$root/display")
for mode in flat cascaded; do
  KUB_SHOW_MENU_SECONDS=7 KUB_MENU_MODE=$mode "$source_dir/cmake/wine-run.sh" "$root" "$exe" \
    --gtest_filter='*ShowForScreenshot*' >/dev/null 2>&1 &
  shown=$!
  sleep 5
  DISPLAY=":$display" import -window root "$out/menu_$mode.png"
  wait "$shown"
  test -s "$out/menu_$mode.png"
  echo "screenshot: $out/menu_$mode.png"
done
