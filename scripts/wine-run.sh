#!/usr/bin/env bash
# Runs a Windows program of a build tree under wine64 as a Russian system (ANSI 1251, OEM 866).
# One private prefix per build tree, made once; one X display and one persistent wineserver shared
# by every program of a test run, so each start costs a fraction of a second.
#   scripts/wine-run.sh program.exe [arguments...]
# VEMKO_WINE_STATE overrides the folder that holds the prefix and the display of the run.
# VEMKO_WINE_LOCALE runs it as another system instead, for example en_US.UTF-8 (ANSI 1252, OEM 437),
# in a prefix, display and wineserver of its own beside the Russian one.
set -euo pipefail

program=$1
shift

find_wine() {
  local name
  for name in "$@"; do
    if command -v "$name" >/dev/null 2>&1; then command -v "$name"; return; fi
    if [ -x "/usr/lib/wine/$name" ]; then echo "/usr/lib/wine/$name"; return; fi
  done
  echo "wine-run: wine64 is not installed (scripts/install-deps.sh installs it)" >&2
  exit 127
}
wine=$(find_wine wine64 wine)
wineserver=$(find_wine wineserver64 wineserver)

build_root() {
  local dir
  dir=$(cd "$(dirname "$program")" && pwd)
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ -f "$dir/CMakeCache.txt" ] && echo "$dir" || dirname "$program"
}
system_locale=${VEMKO_WINE_LOCALE:-ru_RU.CP1251}
default_state=$(build_root)/wine
[ "$system_locale" = ru_RU.CP1251 ] || default_state=$default_state-$system_locale
state=${VEMKO_WINE_STATE:-$default_state}
mkdir -p "$state"

export WINEPREFIX="$state/prefix"
export WINEDEBUG=-all
export LC_ALL=$system_locale
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export WINEARCH=win64

display_alive() {
  [ -f "$state/display" ] && [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null
}

{
  flock 9
  own_display=
  if [ -z "${DISPLAY:-}" ] || [ -n "${VEMKO_OWN_DISPLAY:-}" ]; then
    own_display=1
    if ! display_alive; then
      exec 8>"$state/display.tmp"
      Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 9>&- &
      echo $! >"$state/xvfb.pid"
      for _ in $(seq 100); do [ -s "$state/display.tmp" ] && break; sleep 0.05; done
      exec 8>&-
      echo ":$(tr -d '\n' <"$state/display.tmp")" >"$state/display"
    fi
    DISPLAY=$(cat "$state/display")
    export DISPLAY
  fi
  # Children must not inherit the lock: a daemon holding it would block every later start.
  if [ ! -f "$WINEPREFIX/.made" ]; then
    "$wine" wineboot -i >/dev/null 2>&1 9>&- || true
    "$wineserver" -w 9>&-
    touch "$WINEPREFIX/.made"
  fi
  # On a private display there is no window manager, and Wine would wait two seconds for one to
  # acknowledge every top-level window that is hidden or destroyed; windows it keeps to itself need
  # no wait. On the user's display the windows are handed to the window manager as usual.
  managed=Y
  [ -n "$own_display" ] && managed=N
  if [ "$(cat "$WINEPREFIX/.managed" 2>/dev/null)" != "$managed" ]; then
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f >/dev/null 2>&1 9>&- || true
    echo "$managed" >"$WINEPREFIX/.managed"
  fi
  # Persistent for a minute after the last program: consecutive tests reuse one server. The
  # server's service processes are started here, away from the program's output: started by the
  # program they would hold its output pipe open, and ctest would wait for them to end.
  "$wineserver" -p60 >/dev/null 2>&1 9>&- || true
  "$wine" cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
} 9>"$state/lock"

exec "$wine" "$program" "$@"
