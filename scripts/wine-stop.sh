#!/usr/bin/env bash
# Ends the wineserver and the X display that scripts/wine-run.sh started for a build tree.
set -u
state=${VEMKO_WINE_STATE:-${1:-build/win64}/wine}
[ -d "$state" ] || exit 0
# The wineserver takes an absolute prefix only; with a relative one it ended nothing.
state=$(cd "$state" && pwd)
for server in wineserver64 wineserver /usr/lib/wine/wineserver64; do
  if command -v "$server" >/dev/null 2>&1 || [ -x "$server" ]; then
    for prefix in "$state/prefix" "$state/prefix32"; do
      [ -d "$prefix" ] && WINEPREFIX="$prefix" "$server" -k 2>/dev/null
    done
    break
  fi
done
if [ -f "$state/xvfb.pid" ]; then kill "$(cat "$state/xvfb.pid")" 2>/dev/null; rm -f "$state/xvfb.pid" "$state/display"; fi
exit 0
