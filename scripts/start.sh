#!/usr/bin/env bash
# Installs what is needed, builds the editor and starts it under Wine:
#   scripts/start.sh [file]           the x86_64 build, under wine64
#   scripts/start.sh --win32 [file]   the shipped 32-bit program, under emulated 32-bit Wine
# Without a DISPLAY it runs on a private Xvfb display (look at it with scripts/screenshot.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
preset=win64
if [ "${1:-}" = --win32 ]; then
  preset=win32
  shift
fi
scripts/install-deps.sh
cmake --preset $preset >/dev/null
cmake --build --preset $preset --target vemko
args=()
if [ $# -gt 0 ]; then
  # Wine maps / to drive Z:, so a Linux path becomes a Windows one.
  args+=("Z:$(realpath "$1" | tr / '\\')")
fi
exec scripts/wine-run.sh build/$preset/vemko.exe "${args[@]}"
