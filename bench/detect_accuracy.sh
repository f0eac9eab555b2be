#!/usr/bin/env bash
# Measures how often `vemkoconv detect` is right on Russian texts that its letter statistics were not
# learned from: the Russian fortunes (Debian package fortunes-ru) and manual pages (manpages-ru), whole
# and cut into pieces of 60-200 and 200-1000 Russian letters (and, for a look below the goal, 20-60),
# each written in 1251, 866, KOI8-R, ISO 8859-5, Mac Cyrillic and UTF-8; then what it says of texts
# that are not Russian, made by scripts/make-detection-corpus.py: other languages' message catalogues
# in their legacy encodings, UTF-16 and UTF-32, and programs, images and compressed files, none of
# which may be named a Cyrillic code page at the confidence `convert -f auto` needs. Usage:
#   bench/detect_accuracy.sh [pieces per range] [excerpts per folder]
# Needs: apt-get install fortunes-ru manpages-ru (and iconv, of libc-bin). The other languages are
# those whose catalogues the installed packages carry under /usr/share/locale; the figures in
# docs/figures.md were taken on a Debian 12 machine with the build's packages and a desktop's
# libraries (libgtk2.0-common, libglib2.0-data, packagekit, appstream, iso-codes, libc-l10n and the
# like); on a bare system
#   apt-get install libc-l10n libgtk2.0-common libglib2.0-data gettext coreutils grep
# brings catalogues of most of them. Builds the benchmark in build/bench.
set -euo pipefail

cd "$(dirname "$0")/.."
PIECES=${1:-5000}
EXCERPTS=${2:-200}
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target detect_accuracy_bench -j2 >/dev/null

WORK=$(mktemp -d "${TMPDIR:-/tmp}/vemko-detect.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
CORPUS=$WORK/corpus

bench/russian_corpus.sh "$CORPUS" 2>&1
scripts/make-detection-corpus.py "$WORK/other" "$EXCERPTS"
build/bench/detect_accuracy_bench "$CORPUS" "$PIECES" "$WORK/other"
