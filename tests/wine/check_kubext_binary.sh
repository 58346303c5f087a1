#!/usr/bin/env bash
# check_kubext_binary.sh OBJDUMP DLL
# Kubext.dll must load into Explorer with nothing beside it (only system DLLs imported) and
# export exactly DllGetClassObject and DllCanUnloadNow, undecorated.
set -u
objdump=$1
dll=$2
dump=$("$objdump" -p "$dll") || { echo "cannot read $dll"; exit 1; }
status=0

. "$(dirname "$0")/system_imports.sh"
check_system_imports "$dump"

exports=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\] //p' | sort -u | tr '\n' ' ')
if [ "$exports" != "DllCanUnloadNow DllGetClassObject " ]; then
  echo "exports are '$exports', expected exactly DllCanUnloadNow and DllGetClassObject"
  status=1
fi
[ $status -eq 0 ] && echo "imports: $(echo $imports); exports: $exports"
exit $status
