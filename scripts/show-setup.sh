#!/usr/bin/env bash
# Runs "uninstall.exe /setup /S" on a clean Simplified-Chinese Wine system (a throwaway prefix)
# and shows what it registered: associations, ProgIDs, the shell extension's class and handler
# keys, the application path, capabilities, the installed program entry, the shortcuts and the
# "New" menu templates.  Usage: scripts/show-setup.sh (after the Windows build)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
export PATH="/usr/lib/wine:$PATH"
root="$top/build/windows/wine-setup"
bin="$top/build/windows/bin"

rm -rf "$root"
cmake/wine-session.sh start "$root" >/dev/null
trap 'cmake/wine-session.sh stop "$root" >/dev/null; rm -rf "$root"' EXIT
run() { cmake/wine-run.sh "$root" "$@" </dev/null; }

folder="$root/prefix/drive_c/Program Files/Korvex"
mkdir -p "$folder"
cp "$bin/uninstall.exe" "$bin/Kubext.dll" "$folder/"
# The archiver itself is not part of this build: the tests' stand-in takes its place.
if [ -f "$bin/Korvex.exe" ]; then cp "$bin/Korvex.exe" "$folder/"; else : >"$folder/Korvex.exe"; fi
echo "help" >"$folder/Korvex.chm"
echo "changes" >"$folder/WhatsNew.txt"

status=0
run 'C:\Program Files\Korvex\uninstall.exe' /setup /S || status=$?
echo "uninstall.exe /setup /S exit code: $status"

show_key() {
  rm -f "$root/prefix/drive_c/export.reg"
  if run reg export "$1" 'C:\export.reg' /y >/dev/null 2>&1; then
    iconv -f UTF-16 -t UTF-8 "$root/prefix/drive_c/export.reg" | tr -d '\r' |
      grep -v -e '^Windows Registry Editor' -e '^\xef\xbb\xbfWindows Registry Editor' -e '^$' || true
  else
    echo "[$1] (missing)"
  fi
}
echo
echo "-- registry"
for key in 'HKCR\.kub' 'HKCR\.zip' 'HKCR\.tgz' 'HKCR\.k00' 'HKCR\.rev' 'HKCR\Korvex' 'HKCR\Korvex.ZIP' \
           'HKCR\CLSID\{B41DB860-64E4-11D2-9906-E49FADC173CA}' \
           'HKCR\*\shellex\ContextMenuHandlers\Korvex' 'HKCR\Folder\shellex\DragDropHandlers\Korvex' \
           'HKCR\Drive\shellex\DragDropHandlers\Korvex' \
           'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\Korvex.exe' \
           'HKLM\Software\Korvex' \
           'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvex archiver' \
           'HKCU\Software\Korvex\Setup\.zip' 'HKCU\Software\Korvex\Setup\Links'; do
  show_key "$key"
done
run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Shell Extensions\Approved' \
  /v '{B41DB860-64E4-11D2-9906-E49FADC173CA}' 2>/dev/null | iconv -f GBK -t UTF-8 | tr -d '\r' |
  grep -i 'B41DB860' || echo "(not approved)"

echo
echo "-- shortcuts (the ASCII strings each link stores; targets and Chinese descriptions are"
echo "   compared exactly by the setup_program_test under Wine)"
while IFS= read -r -d '' link; do
  echo "${link#"$root/prefix/"}"
  strings -el -n 3 "$link" | sed 's/^/    /' || true
done < <(find "$root/prefix/drive_c" -name '*.lnk' -path '*Korvex*' -print0 | sort -z)

echo
echo "-- templates for the New menu"
for name in kubnew.dat zipnew.dat; do
  printf '%s (%d bytes):' "$name" "$(stat -c %s "$folder/$name")"
  od -An -tx1 -v "$folder/$name" | tr -s ' \n' ' '
  echo
done
# An independent reader of ZIP archives sees the template as an empty archive.
if command -v 7z >/dev/null; then
  echo "7z lists zipnew.dat as: $(7z l "$folder/zipnew.dat" | tail -1 | tr -s ' ' | sed 's/^ //')"
fi
