#!/usr/bin/env bash
# Runs "uninstall.exe /setup /S" on a clean Simplified-Chinese Wine system (a throwaway prefix)
# and shows what it registered: associations, ProgIDs, the shell extension's class and handler
# keys, the application path, capabilities, the installed program entry, the shortcuts and the
# "New" menu templates. Then it uninstalls silently ("uninstall.exe /S" with the installer's
# list) and shows that nothing setup wrote is left: registry, shortcuts, files.
# Usage: scripts/show-setup.sh (after the Windows build)
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

# The registry files as Wine writes them when its server ends: one line a key and one a value,
# each value line led by its key, without the time stamps.
wineserver_binary=$(ls /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver 2>/dev/null | head -1)
registry_files() {
  WINEPREFIX="$root/prefix" "$wineserver_binary" -k >/dev/null 2>&1 || true
  WINEPREFIX="$root/prefix" "$wineserver_binary" -w >/dev/null 2>&1 || true
  local hive
  for hive in system user; do
    sed -E -e 's/^(\[.*\]) [0-9]+$/\1/' -e '/^#/d' -e '/^$/d' "$root/prefix/$hive.reg" |
      awk -v hive="$hive" '/^\[/ { key = hive ":" $0; print key; next } { print key " " $0 }'
  done | sort >"$1"
}
registry_files "$root/registry-before.txt"

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

echo
echo "== uninstall.exe /S with the installer's list (Uninstall.lst)"
printf '%s\r\n' Korvex.exe Kubext.dll Korvex.chm WhatsNew.txt kubnew.dat zipnew.dat uninstall.exe \
  Uninstall.lst >"$folder/Uninstall.lst"
status=0
run 'C:\Program Files\Korvex\uninstall.exe' /S || status=$?
echo "uninstall.exe /S exit code: $status"
# The batch file removes the program and its folder once the program has ended.
for _ in $(seq 1 100); do
  [ -e "$folder" ] || break
  sleep 0.2
done
if [ -e "$folder" ]; then
  echo "program folder still there, holding: $(ls -A "$folder" | tr '\n' ' ')"
else
  echo "program folder C:\Program Files\Korvex: gone"
fi
temp_batch=$(find "$root/prefix/drive_c/users" -iname 'Uninstall_Kub.Bat' 2>/dev/null | head -1)
echo "batch file Uninstall_Kub.Bat: ${temp_batch:-gone}"
links=$(find "$root/prefix/drive_c" -iname '*.lnk' -path '*Korvex*' 2>/dev/null; \
        find "$root/prefix/drive_c" -type d -name Korvex 2>/dev/null)
echo "shortcuts and program groups named Korvex: ${links:-none}"
for key in 'HKCR\.kub' 'HKCR\.zip' 'HKCR\Korvex' 'HKCR\CLSID\{B41DB860-64E4-11D2-9906-E49FADC173CA}' \
           'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\Korvex.exe' \
           'HKLM\Software\Korvex' 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvex archiver' \
           'HKCU\Software\Korvex'; do
  show_key "$key"
done
# The whole registry against the clean system's: what is left is the parent keys setup shares
# with the system (handler lists, the class list, the approved list), empty again.
registry_files "$root/registry-after.txt"
echo
echo "-- registry: the clean system's against the one after setup and uninstall (keys and values"
echo "   only before: '-', only after: '+'). Left out: what Wine changes by itself when programs run"
echo "   (the console's settings, device enumeration, Wine's own keys)."
changes=$(diff "$root/registry-before.txt" "$root/registry-after.txt" | grep '^[<>]' |
  grep -v -e '^[<>] user:\[Console\]' -e '^[<>] system:\[System\\\\CurrentControlSet\\\\' \
          -e '^[<>] system:\[System\\\\ControlSet' -e 'Software\\\\Wine' |
  sed -e 's/^</-/' -e 's/^>/+/' || true)
echo "${changes:-   no difference}"
echo "   (setup's own keys are all gone; what may show above are the parent keys it made on the way"
echo "   to them, shared with the system and other programs, which uninstall leaves, empty)"
