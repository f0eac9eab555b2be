#!/usr/bin/env bash
# Installs what is needed, builds all three presets, runs every test and packs the 32-bit product.
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
# The release package of the 32-bit product.
cmake --build --preset win32 --target package || status=1
scripts/wine-stop.sh build/win64
scripts/wine-stop.sh build/win32
exit $status
