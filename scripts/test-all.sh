#!/usr/bin/env bash
# Installs what is needed, builds all three presets, runs every test and packs the 32-bit product.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# A compiler cache kept on the machine between runs: a repeated run compiles only what changed, in
# any checkout (paths below the checkout count relative to it). Build folders made before keep the
# launcher they were configured with.
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
  export CCACHE_DIR=${CCACHE_DIR:-/var/cache/vemko-ccache}
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
  export CCACHE_NOHASHDIR=1
  mkdir -p "$CCACHE_DIR"
  ccache --max-size=5G >/dev/null
fi
jobs=$(nproc)
status=0
for preset in native win64 win32; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --parallel "$jobs"
  # The Windows presets run their test programs in parallel, each in a Wine slot of its own.
  ctest --preset "$preset" || status=1
done
# The release package of the 32-bit product.
cmake --build --preset win32 --target package || status=1
scripts/wine-stop.sh build/win64
scripts/wine-stop.sh build/win32
exit $status
