#!/usr/bin/env bash
# A Windows test that crashes must fail within seconds: Wine's crash dialog is off in the test
# prefix, so the debugger prints its backtrace and ends the program instead of waiting for a
# person, and nothing of it (winedbg, the crashed program) stays behind.
# Usage: crash_fails_fast.sh SOURCE_DIR WINE_ROOT CRASH_PROBE_EXE
set -u
source_dir=$1 root=$2 exe=$3
limit=30
log=$(mktemp)
trap 'rm -f "$log"' EXIT
start=$(date +%s)
KUB_WINEDEBUG=-all timeout "$limit" "$source_dir/cmake/wine-run.sh" "$root" "$exe" \
  >"$log" 2>&1 </dev/null
status=$?
elapsed=$(( $(date +%s) - start ))
if [ "$status" -eq 124 ]; then
  echo "the crashing program was still running after ${limit}s (a crash dialog?)" >&2
  exit 1
fi
# The exit status of a crashed program is not reliable under Wine (at times 0); the message
# Wine prints is, and it is what the test properties look for (KUB_WINE_CRASH_PATTERN).
if ! grep -q "wine: Unhandled " "$log"; then
  echo "no crash reported (status $status):" >&2
  cat "$log" >&2
  exit 1
fi
# The debugger ends with the program; give it a moment, then nothing of it may be left in this
# session (other checkouts' sessions are theirs).
prefix_entry="WINEPREFIX=$root/prefix"
for _ in $(seq 1 50); do
  left=$(
    for dir in /proc/[0-9]*; do
      first=
      { IFS= read -r -d '' first <"$dir/cmdline"; } 2>/dev/null || continue
      case $first in *winedbg* | *crash_probe*) ;; *) continue ;; esac
      while IFS= read -r -d '' var; do
        [ "$var" = "$prefix_entry" ] && echo "${dir#/proc/} $first" && break
      done 2>/dev/null <"$dir/environ"
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
