#!/usr/bin/env bash
# check_kublng_binary.sh OBJDUMP DLL
# The language module is data: no entry point, nothing imported, nothing exported, a resource
# directory.
set -u
objdump=$1 dll=$2
dump=$("$objdump" -p "$dll") || { echo "cannot read $dll"; exit 1; }
status=0
entry=$(printf '%s\n' "$dump" | sed -n 's/^AddressOfEntryPoint[[:space:]]*//p')
[ "$((16#$entry))" -eq 0 ] || { echo "entry point $entry, expected none"; status=1; }
if printf '%s\n' "$dump" | grep -q 'DLL Name:'; then
  echo "imports: $(printf '%s\n' "$dump" | grep 'DLL Name:' | tr '\n' ' ')"; status=1
fi
exports=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\] //p')
[ -z "$exports" ] || { echo "it exports $exports"; status=1; }
printf '%s\n' "$dump" | grep -q 'Resource Directory \[.rsrc\]' || { echo "no resources"; status=1; }
[ $status -eq 0 ] && echo "kublng.dll: no entry point, no imports, no exports, resources only"
exit $status
