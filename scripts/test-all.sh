#!/usr/bin/env bash
# Installs what is needed, builds all three presets and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
status=0
for preset in native win64 win32; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" || status=1
done
scripts/wine-stop.sh build/win64
exit $status
