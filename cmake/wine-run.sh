#!/usr/bin/env bash
# Runs a Windows program under wine64 as a Simplified-Chinese system, inside the build tree's
# throwaway prefix.  Usage: wine-run.sh WINE_ROOT PROGRAM [ARGS...]
# WINE_ROOT holds the prefix ("prefix"), a private HOME ("home") and the display number of the
# Xvfb server started by wine-session.sh ("display").
set -u
root=$1
shift
export WINEPREFIX="$root/prefix"
export WINEARCH=win64
export WINEDEBUG="${KUB_WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export HOME="$root/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share" XDG_CACHE_HOME="$HOME/.cache"
if [ -f "$root/display" ]; then
  export DISPLAY=":$(cat "$root/display")"
fi
exec /usr/lib/wine/wine64 "$@"
