#!/usr/bin/env bash
# Measures `vemkoconv detect` on texts nobody here wrote, in many languages and encodings: the corpus of
# bench/corpus/make-corpus.py (Debian's message catalogues, manual pages and the Russian fortunes,
# whole, as excerpts and as lines of 20-90 characters, and files in two Cyrillic code pages). Prints
# for every folder and summed by language group, encoding and length the share of texts named right
# (at any confidence and at the one `convert -f auto` needs) and what the wrong answers were, then the
# time detection takes. Usage:
#   bench/detect_corpus.sh [CORPUS]
# CORPUS is a folder the corpus is in, or is written to when it does not exist (about 700 MB); without
# it the corpus is made in a temporary folder and removed at the end. Builds the benchmark in
# build/bench. The packages the texts come from are listed in bench/corpus/make-corpus.py.
set -euo pipefail

cd "$(dirname "$0")/.."
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target detect_corpus_bench -j2 >/dev/null

if [ $# -ge 1 ]; then
    CORPUS=$1
    [ -d "$CORPUS" ] || bench/corpus/make-corpus.py "$CORPUS"
else
    WORK=$(mktemp -d "${TMPDIR:-/tmp}/vemko-corpus.XXXXXX")
    trap 'rm -rf "$WORK"' EXIT
    CORPUS=$WORK/corpus
    bench/corpus/make-corpus.py "$CORPUS"
fi
build/bench/detect_corpus_bench "$CORPUS"
