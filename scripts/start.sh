#!/usr/bin/env bash
# Installs what is needed, builds the editor and starts it under Wine: scripts/start.sh [file]
# Without a DISPLAY it runs on a private Xvfb display (look at it with scripts/screenshot.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target vemko
args=()
if [ $# -gt 0 ]; then
  # Wine maps / to drive Z:, so a Linux path becomes a Windows one.
  args+=("Z:$(realpath "$1" | tr / '\\')")
fi
exec scripts/wine-run.sh build/win64/vemko.exe "${args[@]}"
