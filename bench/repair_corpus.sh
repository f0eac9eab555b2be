#!/usr/bin/env bash
# Measures `vemkoconv repair` on texts of many languages that nobody here wrote (the corpus of
# bench/corpus/make-corpus.py), damaged by bench/mojibake_damage.py by every common chain, one
# paragraph or line damaged inside a right text, and undamaged in every encoding: the share restored
# by chain and length, and the clean texts changed (which must be none). Usage:
#   bench/repair_corpus.sh [CLEAN [texts a chain and length]]
# CLEAN is a corpus already made; without it one is made in a temporary folder (slow: minutes).
set -euo pipefail

cd "$(dirname "$0")/.."
PER_CHAIN=${2:-3}
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target vemkoconv -j2 >/dev/null
V=$PWD/build/bench/vemkoconv

WORK=$(mktemp -d "${TMPDIR:-/tmp}/vemko-repair-corpus.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
CLEAN=${1:-}
if [ -z "$CLEAN" ]; then
    CLEAN=$WORK/clean-corpus
    bench/corpus/make-corpus.py "$CLEAN" --wholes 8 --excerpts 60 --lines 80 --mixed 0
fi
bench/mojibake_damage.py damage "$CLEAN" "$WORK/out" --per-chain "$PER_CHAIN"
cp -r "$WORK/out/clean" "$WORK/out/clean-original"
# Damaged texts come back as UTF-8; clean ones must stay as they are, in their own encoding.
(cd "$WORK/out/cases" && ls | xargs "$V" repair -t utf-8 -i >/dev/null 2>&1 || true)
(cd "$WORK/out/clean" && ls | xargs "$V" repair -i >/dev/null 2>&1 || true)
bench/mojibake_damage.py score "$WORK/out"
