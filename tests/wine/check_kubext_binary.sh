#!/usr/bin/env bash
# check_kubext_binary.sh OBJDUMP DLL
# Kubext.dll must load into Explorer with nothing beside it (only system DLLs imported) and
# export exactly DllGetClassObject and DllCanUnloadNow, undecorated.
set -u
objdump=$1
dll=$2
dump=$("$objdump" -p "$dll") || { echo "cannot read $dll"; exit 1; }
status=0

system_dlls=" advapi32.dll comctl32.dll comdlg32.dll crypt32.dll gdi32.dll kernel32.dll msvcrt.dll"
system_dlls+=" ole32.dll oleaut32.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll "
system_dlls+=" windowscodecs.dll " 
imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$imports" ] || { echo "no import table found"; status=1; }
for name in $imports; do
  case "$system_dlls" in
    *" $name "*) ;;
    *) echo "imports a non-system DLL: $name"; status=1 ;;
  esac
done

exports=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\] //p' | sort -u | tr '\n' ' ')
if [ "$exports" != "DllCanUnloadNow DllGetClassObject " ]; then
  echo "exports are '$exports', expected exactly DllCanUnloadNow and DllGetClassObject"
  status=1
fi
[ $status -eq 0 ] && echo "imports: $(echo $imports); exports: $exports"
exit $status
