#!/usr/bin/env bash
# Shows the extension's menu under Wine, flat and cascaded, and photographs the display.
# Usage: menu_screenshot.sh SOURCE_DIR WINE_ROOT TEST_EXE OUTPUT_DIR
set -eu
source_dir=$1 root=$2 exe=$3 out=$4
mkdir -p "$out"
display=$(cat "$root/display")
for mode in flat cascaded; do
  KUB_SHOW_MENU_SECONDS=30 KUB_MENU_MODE=$mode "$source_dir/cmake/wine-run.sh" "$root" "$exe" \
    --gtest_filter='*ShowForScreenshot*' >/dev/null 2>&1 &
  # The menu's white face, and the brown of the extension's item icon beside its commands;
  # cascaded, the opened submenu's highlighted first command.
  checks=("rgb(255,255,255)" 5000 800x600+0+0 "rgb(92,58,18)" 100 800x600+0+0)
  [ "$mode" = cascaded ] && checks+=("rgb(48,150,250)" 1000 800x600+0+0)
  "$source_dir/tests/wine/photograph.sh" "$display" "$out/menu_$mode.png" $! "${checks[@]}"
done
