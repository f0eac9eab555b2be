#!/usr/bin/env bash
# Runs a Windows program of a build tree under Wine as a Russian system (ANSI 1251, OEM 866) whose
# file names are UTF-8, as on every current Linux desktop (LC_ALL=ru_RU.UTF-8).
# One private prefix per build tree, made once; one X display and one persistent wineserver shared
# by every program of a test run, so each start costs a fraction of a second.
# An x86_64 program runs under wine64; an i686 program under Wine's 32-bit side emulated by qemu
# (scripts/setup-i686.sh makes it), served by the native wineserver.
#   scripts/wine-run.sh program.exe [arguments...]
# VEMKO_WINE_STATE overrides the folder that holds the prefix and the display of the run (a CTest
# Wine slot N adds -slotN to it).
# VEMKO_WINE_LOCALE runs it as another system instead, for example en_US.UTF-8 (ANSI 1252, OEM 437)
# or ru_RU.CP1251 (file names in 1251 on disk), in a prefix, display and wineserver of its own
# beside the default one.
set -euo pipefail

program=$1
shift
here=$(cd "$(dirname "$0")" && pwd)

# The machine field of the PE header: 0x14c is i386.
pe_machine() {
  local offset
  offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$offset" ] && od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' '
}
i686=
[ "$(pe_machine "$program")" = 014c ] && i686=1

find_wine() {
  local name
  for name in "$@"; do
    if command -v "$name" >/dev/null 2>&1; then command -v "$name"; return; fi
    if [ -x "/usr/lib/wine/$name" ]; then echo "/usr/lib/wine/$name"; return; fi
  done
  echo "wine-run: wine64 is not installed (scripts/install-deps.sh installs it)" >&2
  exit 127
}
wineserver=$(find_wine wineserver64 wineserver)
if [ -n "$i686" ]; then
  # A missing emulation fails the run, with the reason: a 32-bit test must never pass unrun.
  "$here/setup-i686.sh" --check || exit 1
  i686_root=${VEMKO_I686_HOME:-/var/cache/vemko-i686}/root
  wine=$i686_root/usr/lib/wine/wine
  export QEMU_LD_PREFIX=$i686_root WINESERVER=$wineserver
else
  wine=$(find_wine wine64 wine)
fi

build_root() {
  local dir
  dir=$(cd "$(dirname "$program")" && pwd)
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ -f "$dir/CMakeCache.txt" ] && echo "$dir" || dirname "$program"
}
system_locale=${VEMKO_WINE_LOCALE:-ru_RU.UTF-8}
default_state=$(build_root)/wine
[ "$system_locale" = ru_RU.UTF-8 ] || default_state=$default_state-$system_locale
# VEMKO_WINE_DPI (for example 144, a 150 % screen) runs it on a screen of that scale, in a prefix,
# display and wineserver of their own.
screen_dpi=${VEMKO_WINE_DPI:-}
[ -z "$screen_dpi" ] || default_state=$default_state-dpi$screen_dpi
state=${VEMKO_WINE_STATE:-$default_state}
# A test that CTest gave a Wine slot (cmake/wine-slots.json) runs in the slot's own state, so tests
# in parallel share no display, registry or files.
base_state=$state
slot=
if [ -n "${CTEST_RESOURCE_GROUP_0_WINE:-}" ]; then
  slot=${CTEST_RESOURCE_GROUP_0_WINE#id:}
  slot=${slot%%,*}
  state=$state-slot$slot
fi
mkdir -p "$state" "$base_state"
state=$(cd "$state" && pwd)
base_state=$(cd "$base_state" && pwd)

# A prefix is made for one architecture and keeps it.
if [ -n "$i686" ]; then export WINEPREFIX="$state/prefix32"; else export WINEPREFIX="$state/prefix"; fi
export WINEDEBUG=-all
export LC_ALL=$system_locale
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
if [ -n "$i686" ]; then export WINEARCH=win32; else export WINEARCH=win64; fi

display_alive() {
  [ -f "$state/display" ] && [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null
}

# Wine makes a prefix once per build tree and system, as a template that every slot copies: under
# emulation the making takes half a minute, and four at once on a loaded machine have failed.
template=$base_state/template${i686:+32}
zlib_dll=${i686_root:-}/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll
make_template() {
  flock 7
  [ -f "$template/.made" ] && return 0
  local log=$base_state/wineboot${i686:+32}.log attempt
  for attempt in 1 2; do
    rm -rf "$template"
    mkdir -p "$template/drive_c/windows/system32"
    # Debian's 32-bit user32.dll imports zlib1.dll, which Wine's i386 packages lack (the set-up puts
    # it beside the builtin DLLs); Wine finds it only through its file in system32, and without it
    # the processes that make the prefix fail to start.
    [ -n "$i686" ] && cp "$zlib_dll" "$template/drive_c/windows/system32/zlib1.dll"
    WINEPREFIX=$template "$wine" wineboot -i >"$log" 2>&1 7>&- 9>&- || true
    WINEPREFIX=$template "$wineserver" -w 7>&- 9>&-
    if [ -f "$template/system.reg" ]; then
      touch "$template/.made"
      return 0
    fi
    echo "wine-run: making the prefix $template failed (attempt $attempt)" >&2
  done
  echo "wine-run: the end of what the making said ($log):" >&2
  tail -n 30 "$log" >&2
  return 1
}

# A slot's prefix shares the template's system DLLs by hard links (nearly all of a prefix's 700 MB,
# which no program writes to; copied whole, the slots of four systems and two builds filled a
# machine's disk); every other file, the registry and win.ini among them, is a copy of the slot's own.
copy_template() {
  if cp -al "$template" "$1" 2>/dev/null; then
    find "$1" -type f -links +1 ! -path '*/windows/system32/*' ! -path '*/windows/syswow64/*' \
      ! -path '*/windows/winsxs/*' -exec sh -c 'for f; do cp -p "$f" "$f.own" && mv -f "$f.own" "$f"; done' _ {} +
  else
    rm -rf "$1"
    cp -a "$template" "$1"
  fi
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
    make_template 7>"$base_state/template.lock" || exit 1
    rm -rf "$WINEPREFIX" "$WINEPREFIX.copy"
    copy_template "$WINEPREFIX.copy"
    mv "$WINEPREFIX.copy" "$WINEPREFIX"
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
  if [ -n "$screen_dpi" ] && [ "$(cat "$WINEPREFIX/.dpi" 2>/dev/null)" != "$screen_dpi" ]; then
    "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$screen_dpi" /f >/dev/null 2>&1 9>&- || true
    "$wine" reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels \
      /t REG_DWORD /d "$screen_dpi" /f >/dev/null 2>&1 9>&- || true
    echo "$screen_dpi" >"$WINEPREFIX/.dpi"
  fi
  # Persistent for a minute after the last program: consecutive tests reuse one server. The
  # server's service processes are started here, away from the program's output: started by the
  # program they would hold its output pipe open, and ctest would wait for them to end.
  "$wineserver" -p60 >/dev/null 2>&1 9>&- || true
  "$wine" cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
} 9>"$state/lock"

# Tests without a slot share the state's prefix: one program at a time (the lock is held by flock,
# not by the program, whose children may outlive it).
if [ -n "${VEMKO_WINE_SERIAL:-}" ] && [ -z "$slot" ]; then
  exec flock -o "$state/run.lock" "$wine" "$program" "$@"
fi
exec "$wine" "$program" "$@"
