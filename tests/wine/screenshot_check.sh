#!/usr/bin/env bash
# Fails unless a screenshot shows what only a drawn window has: at least MIN_PIXELS pixels of
# COLOUR (a menu's or a dialog's face colour) inside the area WxH+X+Y. A blank or black capture,
# or one taken before the window appeared, has none.
# Usage: screenshot_check.sh PNG COLOUR MIN_PIXELS WxH+X+Y
set -eu
png=$1 colour=$2 min=$3 area=$4
count=$(convert "$png" -crop "$area" +repage -fill black +opaque "$colour" -fill white \
          -opaque "$colour" -format "%[fx:round(mean*w*h)]" info:)
if [ "$count" -lt "$min" ]; then
  echo "screenshot_check: $png has $count pixels of $colour in $area, fewer than $min:" \
       "nothing was drawn there" >&2
  exit 1
fi
echo "screenshot_check: $png has $count pixels of $colour in $area"
