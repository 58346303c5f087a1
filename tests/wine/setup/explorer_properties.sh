#!/usr/bin/env bash
# Wine's own file manager as a real shell client: after "uninstall.exe /setup /S" it must find
# Kubext.dll through the registry alone and show the archive page (and the comment page for an
# archive with a comment) in its properties dialog; and with the drop target key this file
# manager reads (".kub\ShellEx\{00000122-...}", which setup does not write), a file dropped on a
# KUB archive starts the archiver to add it. Driven with xdotool on the session's display; the
# dialogs are photographed for a person to look at.
# Usage: explorer_properties.sh SOURCE_DIR WINE_ROOT BIN_DIR SETUP_TEST_EXE OUTPUT_DIR
# SETUP_TEST_EXE is the setup program test, run once at the end for its clean-up.
set -u
source_dir=$1 root=$2 bin=$3 setup_test=$4 out=$5
command -v xdotool >/dev/null || { echo "xdotool is not installed"; exit 77; }
command -v zip >/dev/null || { echo "zip is not installed"; exit 77; }
export DISPLAY=":$(cat "$root/display")"
run() { "$source_dir/cmake/wine-run.sh" "$root" "$@" </dev/null; }
drive_c="$root/prefix/drive_c"
folder="$drive_c/Program Files/Korvex"
samples="$drive_c/kubsamples"
log=$(mktemp)
status=0
fail() { echo "FAILED: $*"; status=1; }
cleanup() {
  rm -rf "$samples" "$log"
  # The setup program test removes what setup wrote, from the registry and the disk.
  run "$setup_test" --gtest_filter='*WaitSleeps*' >/dev/null 2>&1
}
trap cleanup EXIT

mkdir -p "$folder" "$samples" "$out"
cp "$bin/uninstall.exe" "$bin/Kubext.dll" "$bin/Korvex.exe" "$folder/"
run 'C:\Program Files\Korvex\uninstall.exe' /setup /S || fail "setup exit code $?"
# An empty KUB archive (the template setup just made) and a ZIP archive with a comment made by zip.
cp "$folder/kubnew.dat" "$samples/a_empty.kub"
work=$(mktemp -d)
echo "hello" >"$work/hello.txt"
(cd "$work" && echo "a comment from zip" | zip -q -z b_commented.zip hello.txt)
cp "$work/b_commented.zip" "$samples/"
rm -rf "$work"
echo "dropped" >"$samples/c_dropped.txt"
run reg add 'HKCR\.kub\ShellEx\{00000122-0000-0000-C000-000000000046}' /ve \
  /d '{B41DB860-64E4-11D2-9906-E49FADC173CA}' /f >/dev/null 2>&1 || fail "cannot add the drop key"

# A window left from another run would take the clicks meant for this one.
if xdotool search --name '^kubsamples$' >/dev/null 2>&1; then
  fail "a file manager window on kubsamples is already open"
  exit 1
fi
# The stand-in archiver records how it was started.
KUB_FAKE_ARCHIVER_LOG='C:\kubsamples\archiver.log' KUB_WINEDEBUG=+loaddll run explorer.exe 'C:\kubsamples' >"$log" 2>&1 &
explorer=$(timeout 20 xdotool search --sync --name '^kubsamples$' | head -1)
[ -n "$explorer" ] || { fail "the file manager window did not appear"; exit 1; }
sleep 2
read -r x y < <(xdotool getwindowgeometry "$explorer" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')

# Rows of the file list, in name order, relative to the window (first row at y 110).
row=0
for name in a_empty.kub b_commented.zip; do
  item_y=$((y + 110 + row * 18))
  row=$((row + 1))
  xdotool windowfocus "$explorer"
  xdotool mousemove $((x + 420)) $((y + 300)) click 1
  sleep 0.5
  xdotool mousemove $((x + 200)) "$item_y" mousedown 3
  sleep 0.3
  xdotool mouseup 3
  sleep 1.5
  xdotool key p
  sheet=$(timeout 15 xdotool search --sync --name "^$name " | head -1)
  if [ -z "$sheet" ]; then fail "no properties dialog for $name"; continue; fi
  sleep 2
  read -r sx sy < <(xdotool getwindowgeometry "$sheet" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
  read -r sw sh < <(xdotool getwindowgeometry "$sheet" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
  shot() { import -window root -crop "${sw}x$((sh + 20))+${sx}+$((sy - 20))" +repage "$out/explorer_${name%%.*}_$1.png"; }
  # The second tab is the archive page, the third the comment page.
  xdotool mousemove $((sx + 94)) $((sy + 40)) click 1
  sleep 1.5
  shot archive
  if [ "$name" = b_commented.zip ]; then
    xdotool mousemove $((sx + 153)) $((sy + 40)) click 1
    sleep 1.5
    shot comment
  fi
  xdotool windowfocus "$sheet"
  xdotool key Escape
  sleep 1
done
# c_dropped.txt (third row) dragged up onto a_empty.kub (first row).
xdotool windowfocus "$explorer"
xdotool mousemove $((x + 420)) $((y + 300)) click 1
sleep 0.3
xdotool mousemove $((x + 200)) $((y + 146)) mousedown 1
for step in 1 2 3 4 5 6 7 8 9 10 11 12; do
  sleep 0.15
  xdotool mousemove $((x + 200)) $((y + 146 - step * 3))
done
sleep 0.5
xdotool mouseup 1
for _ in $(seq 1 20); do [ -s "$samples/archiver.log" ] && break; sleep 0.5; done
if [ -s "$samples/archiver.log" ]; then
  started=$(iconv -f UTF-16LE -t UTF-8 "$samples/archiver.log" | tr -d '\r')
  echo "archiver started by the drop: $(printf '%s' "$started" | tr '\n' '|')"
  case "$started" in
    "a "*" -- C:\kubsamples\a_empty.kub C:\kubsamples\c_dropped.txt"$'\n'"C:\kubsamples") ;;
    *) fail "unexpected add command after the drop" ;;
  esac
else
  fail "the drop did not start the archiver"
fi

xdotool windowfocus "$explorer"
xdotool key alt+F4
sleep 1

grep -q 'Loaded L"C:\\\\Program Files\\\\Korvex\\\\kubext.dll"' "$log" ||
  fail "Kubext.dll was not loaded from the program folder"
for shot in explorer_a_empty_archive explorer_b_commented_archive explorer_b_commented_comment; do
  [ -s "$out/$shot.png" ] || fail "no screenshot $shot"
done
[ $status -eq 0 ] && echo "Kubext.dll loaded by the file manager; screenshots in $out"
exit $status
