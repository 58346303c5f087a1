#!/usr/bin/env bash
# A Windows test that crashes must fail within seconds: Wine's crash dialog is off in the test
# prefix, so the debugger prints its backtrace and ends the program instead of waiting for a
# person, and nothing of it (winedbg, the crashed program) stays behind.
# Usage: crash_fails_fast.sh SOURCE_DIR WINE_ROOT CRASH_PROBE_EXE
set -u
source_dir=$1 root=$2 exe=$3
limit=30
start=$(date +%s)
KUB_WINEDEBUG=-all timeout "$limit" "$source_dir/cmake/wine-run.sh" "$root" "$exe" \
  >/dev/null 2>&1 </dev/null
status=$?
elapsed=$(( $(date +%s) - start ))
if [ "$status" -eq 124 ]; then
  echo "the crashing program was still running after ${limit}s (a crash dialog?)" >&2
  exit 1
fi
if [ "$status" -eq 0 ]; then
  echo "the crash probe exited normally: it did not crash" >&2
  exit 1
fi
# The debugger ends with the program; give it a moment, then nothing may be left.
for _ in $(seq 1 50); do
  left=$(
    for dir in /proc/[0-9]*; do
      first=
      { IFS= read -r -d '' first <"$dir/cmdline"; } 2>/dev/null || continue
      case $first in *winedbg* | *crash_probe*) echo "${dir#/proc/} $first" ;; esac
    done
  )
  [ -z "$left" ] && break
  sleep 0.2
done
if [ -n "$left" ]; then
  echo "left running after the crash:" >&2
  echo "$left" >&2
  exit 1
fi
echo "the crash ended the program in ${elapsed}s with status $status; no debugger left"
