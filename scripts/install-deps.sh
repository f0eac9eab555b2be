#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine (run as root). wine64 only: this
# kind of machine cannot execute 32-bit code, so no wine32 or i386 packages. The 32-bit product runs
# emulated: scripts/setup-i686.sh keeps that in a folder of its own, away from dpkg.
set -euo pipefail
packages=(cmake make g++ googletest libgtest-dev
          g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
          wine64 xvfb xauth x11-utils xdotool imagemagick fonts-dejavu-core util-linux locales ccache)
missing=()
for p in "${packages[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
# Wine runs as a Russian system with LC_ALL=ru_RU.UTF-8: Wine takes the language and country from
# the name and keeps file names in the C library locale's code set, UTF-8 as a Linux desktop does.
if ! locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8'; then
  localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
fi
# A few tests run as a Russian system whose file names are 1251 on disk (LC_ALL=ru_RU.CP1251).
if ! locale -a 2>/dev/null | grep -qix 'ru_RU\.cp1251'; then
  localedef -i ru_RU -f CP1251 ru_RU.CP1251
fi
# A set of the tests also runs as an English system (LC_ALL=en_US.UTF-8); its file names are UTF-8.
if ! locale -a 2>/dev/null | grep -qix 'en_US\.utf-\?8'; then
  localedef -i en_US -f UTF-8 en_US.UTF-8
fi
# Without the emulation everything else still builds and runs; the win32 tests then fail and say why.
if ! "$(dirname "$0")/setup-i686.sh"; then
  echo "install-deps: the i686 emulation could not be set up; the win32 tests will fail" >&2
fi
