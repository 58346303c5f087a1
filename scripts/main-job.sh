#!/usr/bin/env bash
# The main job: prepares the machine, builds the Windows product and the native tools, and shows
# what was built.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-packages.sh
scripts/build-mingw-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native
cmake --preset windows >/dev/null
cmake --build --preset windows

echo
echo "== built"
for f in build/windows/bin/Kubext.dll build/windows/bin/uninstall.exe build/windows/bin/kubinfo.exe \
         build/native/bin/kubinfo; do
  if [ -f "$f" ]; then
    printf '%-36s %10d bytes  %s\n' "$f" "$(stat -c %s "$f")" "$(file -b "$f" | cut -c1-60)"
  else
    printf '%-36s (not built yet)\n' "$f"
  fi
done
