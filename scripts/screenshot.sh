#!/usr/bin/env bash
# Saves a PNG of the private Xvfb display on which scripts/start.sh (or a test run) shows the
# program of a build tree:
#   scripts/screenshot.sh [--win32] [out.png]    (default: screenshot.png)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
preset=win64
if [ "${1:-}" = --win32 ]; then
  preset=win32
  shift
fi
out=${1:-screenshot.png}
state=${VEMKO_WINE_STATE:-$root/build/$preset/wine}
if [ ! -f "$state/display" ] || ! kill -0 "$(cat "$state/xvfb.pid" 2>/dev/null)" 2>/dev/null; then
  echo "screenshot: no private display of build/$preset is running (scripts/start.sh starts one, --win32 for the 32-bit program)" >&2
  exit 1
fi
import -display "$(cat "$state/display")" -window root "$out"
echo "$out"
