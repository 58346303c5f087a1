#!/usr/bin/env bash
# Shows the translated test dialogs under Wine and photographs the display.
# Usage: language_dialog_screenshot.sh SOURCE_DIR WINE_ROOT TEST_EXE OUTPUT_PNG
set -eu
source_dir=$1 root=$2 exe=$3 out=$4
mkdir -p "$(dirname "$out")"
display=$(cat "$root/display")
KUB_SHOW_DIALOG_SECONDS=8 "$source_dir/cmake/wine-run.sh" "$root" "$exe" \
  --gtest_filter='*ShowForScreenshot*' >/dev/null 2>&1 &
shown=$!
sleep 5
DISPLAY=":$display" import -window root "$out"
wait "$shown"
test -s "$out"
# The dialogs' face: three dialogs of about 390 x 210 pixels and more.
"$source_dir/tests/wine/screenshot_check.sh" "$out" "rgb(245,245,245)" 100000 1280x1024+0+0
echo "screenshot: $out"
