#!/usr/bin/env bash
# Starts or stops the Wine session the Windows tests share: a prefix inside the build tree, a
# persistent wineserver (so tests neither pay a start each nor hang on an inherited pipe) and a
# private Xvfb display for the dialogs.  Usage: wine-session.sh start|stop|check WINE_ROOT
# "check" fails when a process of the session (Wine program, winedbg, Xvfb) is still running.
set -u
action=${1:-}
root=${2:-}
[ -n "$root" ] || { echo "usage: $0 start|stop|check WINE_ROOT" >&2; exit 2; }
root=$(realpath -m "$root")
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX="$root/prefix" WINEARCH=win64 WINEDEBUG=-all
export HOME="$root/home"

fail() {
  echo "wine-session: $*" >&2
  exit 1
}

# Debian's wine64 installs the server only inside Wine's library folder (the "wine" wrapper
# package that would put it on PATH is not installed). The wrapper script there adds -p0, so the
# server binary itself is preferred.
find_wineserver() {
  local candidate
  for candidate in "${WINESERVER:-}" /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver \
                   "$(command -v wineserver 2>/dev/null)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
      echo "$candidate"
      return 0
    fi
  done
  return 1
}
wineserver=$(find_wineserver) ||
  fail "no wineserver found (looked at \$WINESERVER, /usr/lib/wine/wineserver64, /usr/lib/wine/wineserver and PATH); install wine64"
export WINESERVER="$wineserver"

# Processes that belong to this session: Wine programs (winedbg among them) and the wineserver
# run with this prefix in their environment; Xvfb is known by its pid file. Shell builtins only:
# a fork per process would cost seconds.
session_processes() {
  local dir pid first var found xvfb=
  [ -f "$root/xvfb.pid" ] && xvfb=$(cat "$root/xvfb.pid")
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    [ "$pid" = "$xvfb" ] && continue
    first=
    { IFS= read -r -d '' first <"$dir/cmdline"; } 2>/dev/null || continue
    # This script's own subshells carry the prefix too.
    case $first in *bash | *sh | *wine-session.sh) continue ;; esac
    found=
    while IFS= read -r -d '' var; do
      if [ "$var" = "WINEPREFIX=$WINEPREFIX" ]; then
        found=1
        break
      fi
    done 2>/dev/null <"$dir/environ"
    [ -n "$found" ] && echo "$pid $first"
  done
  if [ -n "$xvfb" ] && kill -0 "$xvfb" 2>/dev/null; then
    echo "$xvfb Xvfb"
  fi
}

fail_if_running() {
  local left
  left=$(session_processes)
  [ -z "$left" ] && return 0
  echo "wine-session: $1:" >&2
  echo "$left" >&2
  exit 1
}

stop_session() {
  if [ -d "$WINEPREFIX" ]; then
    # -k ends every program of the prefix (a crashed test's winedbg, a message box left open)
    # and the server; -w waits until the server has written the registry and gone.
    "$wineserver" -k >/dev/null 2>&1 || true
    "$wineserver" -w >/dev/null 2>&1 || true
  fi
  if [ -f "$root/xvfb.pid" ]; then
    local pid
    pid=$(cat "$root/xvfb.pid")
    if [ -n "$pid" ] && kill "$pid" >/dev/null 2>&1; then
      for _ in $(seq 1 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
      done
    fi
    rm -f "$root/xvfb.pid" "$root/display"
  fi
}

# Settings of the test prefix, applied once per prefix: a caption even without a window manager
# (so screenshots show whole dialogs), and no crash dialog: a crashing test then ends with a
# backtrace on stderr instead of waiting on the display for someone to close the dialog.
kSettingsMark="$WINEPREFIX/.kub-settings-2"
apply_prefix_settings() {
  [ -f "$kSettingsMark" ] && return 0
  "$here/wine-run.sh" "$root" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    >/dev/null 2>&1 </dev/null || fail "could not set the X11 driver settings of $WINEPREFIX"
  "$here/wine-run.sh" "$root" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
    /t REG_DWORD /d 0 /f >/dev/null 2>&1 </dev/null ||
    fail "could not turn the crash dialog off in $WINEPREFIX"
  "$wineserver" -w
  touch "$kSettingsMark"
}

case "$action" in
start)
  stop_session
  command -v Xvfb >/dev/null || fail "Xvfb is missing (the dialog tests need a display)"
  mkdir -p "$root/home"
  # A private display for the dialog tests; -displayfd picks a free number.
  rm -f "$root/display.tmp"
  exec 3>"$root/display.tmp"
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
  echo $! >"$root/xvfb.pid"
  exec 3>&-
  for _ in $(seq 1 100); do
    [ -s "$root/display.tmp" ] && break
    sleep 0.1
  done
  tr -d '\n' <"$root/display.tmp" >"$root/display"
  rm -f "$root/display.tmp"
  if ! grep -qE '^[0-9]+$' "$root/display"; then
    stop_session
    fail "Xvfb gave no display number"
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$here/wine-run.sh" "$root" wineboot -i >/dev/null 2>&1 </dev/null ||
      { stop_session; fail "wineboot could not make the prefix $WINEPREFIX"; }
    "$wineserver" -w
  fi
  apply_prefix_settings
  setsid "$wineserver" -p >/dev/null 2>&1 </dev/null
  if ! "$here/wine-run.sh" "$root" cmd /c exit >/dev/null 2>&1 </dev/null; then
    stop_session
    fail "Wine does not run programs in $WINEPREFIX"
  fi
  echo "wine session ready in $root (display :$(cat "$root/display"), server $wineserver)"
  ;;
stop)
  stop_session
  fail_if_running "still running after stop"
  echo "wine session stopped"
  ;;
check)
  fail_if_running "processes of $root still running"
  echo "no process of the wine session in $root is running"
  ;;
*)
  echo "usage: $0 start|stop|check WINE_ROOT" >&2
  exit 2
  ;;
esac
