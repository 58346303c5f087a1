#!/usr/bin/env bash
# Shows the settings dialog, then its context menu items dialog, and photographs the display;
# each photograph is cropped to the dialog, without the black screen around it.
# Usage: setup_dialogs_screenshots.sh SOURCE_DIR WINE_ROOT TEST_EXE OUTPUT_DIR
set -eu
source_dir=$1 root=$2 exe=$3 out=$4
mkdir -p "$out"
display=$(cat "$root/display")
# The test holds each dialog for this many seconds, the settings dialog first.
KUB_SETUP_SHOW_SECONDS=5 "$source_dir/cmake/wine-run.sh" "$root" "$exe" \
  --gtest_filter='*ShowForScreenshot*' >/dev/null 2>&1 &
shown=$!
sleep 4
DISPLAY=":$display" import -window root "$out/setup_dialog.png"
sleep 5
DISPLAY=":$display" import -window root "$out/setup_context_items.png"
wait "$shown"
for name in setup_dialog setup_context_items; do
  test -s "$out/$name.png"
  convert "$out/$name.png" -bordercolor black -border 1 -trim +repage "$out/$name.png"
  echo "screenshot: $out/$name.png"
done
