#!/usr/bin/env bash
# Runs uninstall_program_test in a Wine prefix of its own, made for the run and removed after:
# the uninstall removes the program it was started as, leaves work to the next system start and
# needs the help library replaced by a recording stand-in. Between the groups it restarts Wine
# ("wineboot -r"), which carries out what uninstall scheduled, and it photographs the completion
# dialog.  Usage: uninstall_in_fresh_prefix.sh SOURCE_DIR WINE_ROOT TEST_EXE HHCTRL OUTPUT_DIR
set -eu
source_dir=$1 root=$2 exe=$3 hhctrl=$4 out=$5
session="$source_dir/cmake/wine-session.sh"
run() { "$source_dir/cmake/wine-run.sh" "$root" "$@" </dev/null; }

rm -rf "$root"
"$session" start "$root" >/dev/null
trap '"$session" stop "$root" >/dev/null 2>&1; rm -rf "$root"' EXIT
cp "$hhctrl" "$root/prefix/drive_c/windows/system32/hhctrl.ocx"
run reg add 'HKCU\Software\Wine\DllOverrides' /v hhctrl.ocx /d native /f >/dev/null 2>&1

# Tests of the fixture by name patterns, each given without the fixture's name.
group() {
  local filter= pattern
  for pattern in "$@"; do filter="$filter${filter:+:}UninstallProgramTest.$pattern"; done
  run "$exe" --gtest_brief=1 --gtest_filter="$filter"
}
status=0
# First on the untouched prefix: its registry is the "before" of the comparison.
group 'SilentUninstall*' || status=1
run wineboot -r >/dev/null 2>&1 || true
group 'AfterRestart*' || status=1
group 'WithoutAList*' 'AHostileList*' 'Dialogs*' 'AHelpFile*' || status=1

mkdir -p "$out"
display=$(cat "$root/display")
KUB_SHOW_DONE_DIALOG=1 "$source_dir/cmake/wine-run.sh" "$root" "$exe" --gtest_brief=1 \
  --gtest_filter='UninstallProgramTest.ShowCompletionDialog*' </dev/null >/dev/null 2>&1 &
# Photographed once the test saw the completion dialog (the setup dialog before it looks alike);
# the dialog's face fills most of its 580 by 460 pixels.
shown="$root/prefix/drive_c/done_dialog_shown"
for _ in $(seq 1 120); do [ -e "$shown" ] && break; sleep 0.5; done
"$source_dir/tests/wine/photograph.sh" "$display" "$out/setup_done_dialog.png" $! \
  "rgb(245,245,245)" 150000 1280x1024+0+0 || status=1

# In English, from the built English files beside the programs: the completion dialog, and the
# question uninstall asks first (the photograph ends the program before anything is removed).
# Each on a session of its own: a stopped test leaves the program it started on the display.
restart_session() {
  "$session" stop "$root" >/dev/null 2>&1
  "$session" start "$root" >/dev/null
  display=$(cat "$root/display")
}
english="Z:$(dirname "$exe" | tr / '\\')\\english"
mkdir -p "$out/english"
restart_session
# The test photographs the dialog itself: the settings dialog before it looks much the same.
shots=$(mktemp -d "$out/english/.done.XXXXXX")
KUB_SHOW_DONE_DIALOG=1 KUB_LANGUAGE_FOLDER="$english" KUB_SCREENSHOT_DIR="Z:$(printf '%s' "$shots" | tr / '\\')" \
  "$source_dir/cmake/wine-run.sh" "$root" "$exe" --gtest_brief=1 \
  --gtest_filter='UninstallProgramTest.ShowCompletionDialog*' </dev/null >/dev/null 2>&1 || status=1
convert "$shots/setup_done_dialog.bmp" "$out/english/setup_done_dialog.png" || status=1
rm -rf "$shots"
restart_session
run reg add 'HKCU\Software\Korvex\General' /v LanguageFolder /d "$english" /f >/dev/null 2>&1
# A copy inside the prefix: were the question not asked, only that folder would be touched.
mkdir -p "$root/prefix/drive_c/kubquestion"
cp "$(dirname "$exe")/uninstall.exe" "$root/prefix/drive_c/kubquestion/"
"$source_dir/cmake/wine-run.sh" "$root" 'C:\kubquestion\uninstall.exe' </dev/null >/dev/null 2>&1 &
"$source_dir/tests/wine/photograph.sh" "$display" "$out/english/uninstall_question.png" $! \
  "rgb(245,245,245)" 20000 1280x1024+0+0 || status=1
exit $status
