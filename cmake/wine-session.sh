#!/usr/bin/env bash
# Starts or stops the Wine session the Windows tests share: a prefix inside the build tree, a
# persistent wineserver (so tests neither pay a start each nor hang on an inherited pipe) and a
# private Xvfb display for the dialogs.  Usage: wine-session.sh start|stop WINE_ROOT
set -u
action=$1
root=$2
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX="$root/prefix" WINEARCH=win64 WINEDEBUG=-all
export HOME="$root/home"

stop_session() {
  if [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  if [ -f "$root/xvfb.pid" ]; then
    kill "$(cat "$root/xvfb.pid")" >/dev/null 2>&1 || true
    rm -f "$root/xvfb.pid" "$root/display"
  fi
}

case "$action" in
start)
  stop_session
  mkdir -p "$root/home"
  # A private display for the dialog tests; -displayfd picks a free number.
  if command -v Xvfb >/dev/null; then
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
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$here/wine-run.sh" "$root" wineboot -i >/dev/null 2>&1 </dev/null
    wineserver -w
    # Windows get a caption even without a window manager, so screenshots show whole dialogs.
    "$here/wine-run.sh" "$root" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
      >/dev/null 2>&1 </dev/null
    wineserver -w
  fi
  setsid wineserver -p >/dev/null 2>&1 </dev/null
  "$here/wine-run.sh" "$root" cmd /c exit >/dev/null 2>&1 </dev/null
  echo "wine session ready in $root (display :$(cat "$root/display" 2>/dev/null))"
  ;;
stop)
  stop_session
  echo "wine session stopped"
  ;;
*)
  echo "usage: $0 start|stop WINE_ROOT" >&2
  exit 2
  ;;
esac
