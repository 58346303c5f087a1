#!/usr/bin/env bash
# The text generator refuses a text without its English, English for nothing, a dropped "%s", and
# a dialog text or a dialog without English; given all, it writes the English dialog as asked and
# the language file line under the key the lookup code uses (7dba4e9f for "s" + "字节", the same
# literal the lookup tests hold).
# Usage: generate_texts_test.sh GENERATOR PYTHON
set -u
generator=$1 python=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

strings() { printf '%s\n' "$@" > "$work/strings.txt"; }
english() { printf '%s\n' 'font 8 "MS Shell Dlg"' "$@" > "$work/english.txt"; }
dialogs() {
  printf '#include "dialogs.rc"\n' > "$work/top.rc"
  printf '%s\n' "$@" > "$work/dialogs.rc"
}
run() { "$python" "$generator" "$work/strings.txt" "$work/english.txt" "$work/out" "$work/lang" \
          uninstall="$work/top.rc" 2>&1; }

# expect_failure NAME PATTERN: the generator fails and names the fault.
expect_failure() {
  local output
  if output=$(run); then
    echo "FAIL $1: the generator accepted it"; failures=$((failures + 1))
  elif ! grep -q -- "$2" <<<"$output"; then
    echo "FAIL $1: expected \"$2\", got: $output"; failures=$((failures + 1))
  else
    echo "ok   $1"
  fi
}

dialog=('TESTDLG DIALOGEX 0, 0, 100, 50' 'CAPTION "测试"' 'FONT 9, "宋体"' 'BEGIN'
        '    LTEXT           "字节", -1, 5, 5, 40, 8' '    EDITTEXT        101, 5, 20, 90, 12'
        '    CONTROL         "ZIP", 102, "Button", BS_AUTOCHECKBOX, 5, 35, 40, 12' 'END')
block=('dialog TESTDLG' '"测试" = "Test"' '"字节" = "bytes" at 5 5 60 8' 'control 101 at 5 20 95 12' 'end')

strings '4150 common "字节"' '5108 uninstall "删除 %s"'
english '4150 "bytes"' '5108 "Delete %s"' "${block[@]}"
dialogs "${dialog[@]}"
if output=$(run); then
  echo "ok   complete texts accepted"
  lng=$(iconv -f UTF-16 -t UTF-8 "$work/lang/uninstall.lng" | tr -d '\r')
  for line in '7dba4e9f="bytes"' '***messages***'; do
    if grep -qxF -- "$line" <<<"$lng"; then echo "ok   uninstall.lng has $line"
    else echo "FAIL uninstall.lng lacks $line"; failures=$((failures + 1)); fi
  done
  for line in '    LTEXT           "bytes", -1, 5, 5, 60, 8' '    EDITTEXT        101, 5, 20, 95, 12' \
              'CAPTION "Test"' 'FONT 8, "MS Shell Dlg"' \
              '    CONTROL         "ZIP", 102, "Button", BS_AUTOCHECKBOX, 5, 35, 40, 12'; do
    if grep -qxF -- "$line" "$work/out/kublng_dialogs.rc"; then echo "ok   English dialog: $line"
    else echo "FAIL English dialog lacks: $line"; failures=$((failures + 1)); fi
  done
else
  echo "FAIL complete texts refused: $output"; failures=$((failures + 1))
fi

english '4150 "bytes"' "${block[@]}"
expect_failure "string id without English" "id 5108 has no English"
english '4150 "bytes"' '5108 "Delete %s"' '5109 "Spare"' "${block[@]}"
expect_failure "English for an id that is not built in" "id 5109 is not in"
english '4150 "bytes"' '5108 "Delete it"' "${block[@]}"
expect_failure "dropped placeholder" 'must keep its "%s"'
english '4150 "bytes"' '5108 "Delete %s"' 'dialog TESTDLG' '"测试" = "Test"' 'end'
expect_failure "dialog text without English" "no English for '字节'"
english '4150 "bytes"' '5108 "Delete %s"'
expect_failure "dialog without a block" "dialog TESTDLG has no block"
english '4150 "bytes"' '5108 "Delete %s"' "${block[@]}" 'dialog DONEDLG' 'end'
expect_failure "block for a dialog that does not exist" "no dialog DONEDLG"
english '4150 "bytes"' '5108 "Delete %s"' 'dialog TESTDLG' '"测试" = "Test"' '"字节" = "bytes"' \
        '"确定" = "OK"' 'end'
expect_failure "English for a text the dialog does not show" "dialog TESTDLG shows no '确定'"

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
