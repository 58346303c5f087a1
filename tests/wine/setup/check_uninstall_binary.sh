#!/usr/bin/env bash
# check_uninstall_binary.sh OBJDUMP EXE
# uninstall.exe runs from the program folder with nothing beside it (only system DLLs imported)
# and carries its manifest: administrator rights, DPI awareness, common controls 6 and the
# supported systems Vista, 7 and 8.
set -u
objdump=$1
exe=$2
dump=$("$objdump" -p "$exe") || { echo "cannot read $exe"; exit 1; }
status=0

. "$(dirname "$0")/../system_imports.sh"
check_system_imports "$dump"
printf '%s\n' "$dump" | grep -q 'Subsystem[[:space:]]*00000002' || { echo "not a GUI program"; status=1; }

manifest=$(tr -d '\000' <"$exe" | tr '\r\n' '  ' | grep -a -o '<assembly .*</assembly>' | head -1)
for needle in 'level="requireAdministrator" uiAccess="false"' '>true</dpiAware>' \
              'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' \
              'e2011457-1546-43c5-a5fe-008deee3d3f0' '35138b9a-5d96-4fbd-8e2d-a2440225f93a' \
              '4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38'; do
  case "$(printf '%s' "$manifest" | tr -s ' \n' ' ')" in
    *"$needle"*) ;;
    *) echo "manifest lacks: $needle"; status=1 ;;
  esac
done
[ $status -eq 0 ] && echo "imports: $(echo $imports); manifest embedded"
exit $status
