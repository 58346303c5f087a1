#!/usr/bin/env bash
# The whole test run: prepares the machine, builds both targets, runs the unit tests natively
# (AddressSanitizer + UBSan) and the same tests plus the integration tests under Wine, then the
# fuzz targets briefly.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-packages.sh
scripts/build-mingw-deps.sh

echo "== native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

echo "== windows build and tests under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows
# The session's cleanup fixture stops Wine and Xvfb; should ctest itself be cut short, stop them
# here, and fail when anything of the session (a winedbg, a dialog) outlived the run.
wine_root="$top/build/windows/wine"
trap '"$top/cmake/wine-session.sh" stop "$wine_root" >/dev/null 2>&1 || true' EXIT
ctest --preset windows
"$top/cmake/wine-session.sh" check "$wine_root"
trap - EXIT

if [ -d tests/fuzz ] && ls tests/fuzz/*_fuzz.cpp >/dev/null 2>&1; then
  echo "== fuzz targets (brief runs)"
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz
  scripts/run-fuzzers.sh "${KUB_FUZZ_SECONDS:-20}"
fi
