#!/usr/bin/env bash
# Photographs the display while a Windows program shows a window, and checks the photograph shows
# what only a drawn window has: at least MIN pixels of COLOUR (a menu's or a dialog's face, an
# item's icon) in the area WxH+X+Y, for each triple given. The program may take a while to draw
# on a busy machine, so the display is photographed again until the picture holds them all or
# the program ends; then the program is stopped. A blank capture fails. The photograph kept is
# cropped to what was drawn: the windows and menus, without the black screen around them.
# Usage: photograph.sh DISPLAY PNG PID COLOUR MIN AREA [COLOUR MIN AREA ...]
set -u
display=$1 png=$2 pid=$3
shift 3
checks=("$@")

# Prints one line per unmet check; nothing when the photograph holds them all.
unmet() {
  local i count
  for ((i = 0; i < ${#checks[@]}; i += 3)); do
    count=$(convert "$png" -crop "${checks[i + 2]}" +repage -fill black +opaque "${checks[i]}" \
              -fill white -opaque "${checks[i]}" -format "%[fx:round(mean*w*h)]" info: 2>/dev/null)
    if [ -z "$count" ] || [ "$count" -lt "${checks[i + 1]}" ]; then
      echo "${count:-no} pixels of ${checks[i]} in ${checks[i + 2]}, fewer than ${checks[i + 1]}"
    fi
  done
}

missing="no photograph taken"
for _ in $(seq 1 60); do
  sleep 0.5
  if DISPLAY=":$display" import -window root "$png" 2>/dev/null; then
    missing=$(unmet)
    [ -z "$missing" ] && break
  fi
  kill -0 "$pid" 2>/dev/null || break
done
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
if [ -n "$missing" ]; then
  echo "photograph: $png shows nothing drawn:" >&2
  echo "$missing" >&2
  exit 1
fi
convert "$png" -bordercolor black -border 1 -trim +repage "$png"
echo "screenshot: $png"
