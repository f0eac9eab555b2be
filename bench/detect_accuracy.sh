#!/usr/bin/env bash
# Measures how often `vemkoconv detect` is right on Russian texts that its letter statistics were not
# learned from: the Russian fortunes (Debian package fortunes-ru) and manual pages (manpages-ru), cut
# into pieces of 60-200 and 200-1000 Russian letters (and, for a look below the goal, 20-60), each
# written in 1251, 866, KOI8-R, ISO 8859-5, Mac Cyrillic and UTF-8. Usage:
#   bench/detect_accuracy.sh [pieces per range]
# Needs: apt-get install fortunes-ru manpages-ru. Builds the benchmark in build/bench.
set -euo pipefail

cd "$(dirname "$0")/.."
PIECES=${1:-5000}
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target detect_accuracy_bench -j2 >/dev/null

WORK=$(mktemp -d "${TMPDIR:-/tmp}/vemko-detect.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
CORPUS=$WORK/corpus

bench/russian_corpus.sh "$CORPUS" 2>&1
build/bench/detect_accuracy_bench "$CORPUS" "$PIECES"
