#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine (run as root). wine64 only: this
# kind of machine cannot execute 32-bit code, so no wine32 or i386 packages.
set -euo pipefail
packages=(cmake make g++ googletest libgtest-dev
          g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
          wine64 xvfb xauth x11-utils xdotool imagemagick fonts-dejavu-core util-linux)
missing=()
for p in "${packages[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
