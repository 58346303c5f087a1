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
ctest --preset windows

if [ -d tests/fuzz ] && ls tests/fuzz/*_fuzz.cpp >/dev/null 2>&1; then
  echo "== fuzz targets (brief runs)"
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz
  scripts/run-fuzzers.sh "${KUB_FUZZ_SECONDS:-20}"
fi
