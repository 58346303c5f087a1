#!/usr/bin/env bash
# Shows the translated test dialogs under Wine and photographs the display.
# Usage: language_dialog_screenshot.sh SOURCE_DIR WINE_ROOT TEST_EXE OUTPUT_PNG
set -eu
source_dir=$1 root=$2 exe=$3 out=$4
mkdir -p "$(dirname "$out")"
display=$(cat "$root/display")
KUB_SHOW_DIALOG_SECONDS=30 "$source_dir/cmake/wine-run.sh" "$root" "$exe" \
  --gtest_filter='*ShowForScreenshot*' >/dev/null 2>&1 &
# The dialogs' face: all three dialogs drawn (about 230,000 pixels).
"$source_dir/tests/wine/photograph.sh" "$display" "$out" $! "rgb(245,245,245)" 200000 1280x1024+0+0
