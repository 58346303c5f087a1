#!/usr/bin/env bash
# Prints 7zz's own listing of an archive in the form the fixture-driven tests read:
#   "item<TAB>size<TAB>packed<TAB>folder(0/1)<TAB>path" per entry, in 7zz's order (7zz l -slt);
#   an empty size or packed size (not recorded) prints as 0; an entry is a folder when 7zz says
#   "Folder = +" or its attributes start with "D" (7z archives report only the latter).
# Usage: list-with-7zz.sh ARCHIVE [7zz switches...]
set -euo pipefail
archive=${1:?usage: list-with-7zz.sh ARCHIVE [switches...]}
shift
7zz l -slt "$@" "$archive" | awk -F' = ' '
  /^----------$/ { body = 1; next }
  !body { next }
  /^Path = / { if (path != "") emit(); path = substr($0, 8); size = ""; packed = ""; folder = 0; next }
  /^Folder = / { folder = ($2 == "+") ? 1 : 0 }
  /^Attributes = D/ { folder = 1 }
  /^Size = / { size = $2 }
  /^Packed Size = / { packed = $2 }
  function emit() { printf "item\t%s\t%s\t%d\t%s\n", size == "" ? 0 : size, packed == "" ? 0 : packed, folder, path }
  END { if (path != "") emit() }'
