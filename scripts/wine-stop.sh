#!/usr/bin/env bash
# Ends the wineservers and the X displays that scripts/wine-run.sh started for a build tree: the
# Russian system's and those of the other systems a test set ran as (wine-<locale>), each also in
# the slots of parallel test runs (-slotN).
set -u
stop_state() {
  local state=$1 server prefix
  [ -d "$state" ] || return 0
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
}
if [ -n "${VEMKO_WINE_STATE:-}" ]; then
  for state in "$VEMKO_WINE_STATE" "$VEMKO_WINE_STATE"-slot*; do stop_state "$state"; done
else
  for state in "${1:-build/win64}"/wine "${1:-build/win64}"/wine-*; do stop_state "$state"; done
fi
exit 0
