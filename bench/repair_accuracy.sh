#!/usr/bin/env bash
# Measures `vemkoconv repair` on Russian texts that the letter statistics were not learned from (the
# corpus of bench/russian_corpus.sh): the share of damaged texts restored, chain by chain, whole and
# as pieces of 60-200 letters; the undamaged texts it changed; and the time it takes on a 64 MB
# damaged file against one `convert` of it. Usage:
#   bench/repair_accuracy.sh [texts of each kind]
# Needs: apt-get install fortunes-ru manpages-ru. Builds the benchmark and the tool in build/bench.
set -euo pipefail

cd "$(dirname "$0")/.."
TEXTS=${1:-200}
RUNS=${RUNS:-5}
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target repair_accuracy_bench vemkoconv -j2 >/dev/null

WORK=$(mktemp -d "${TMPDIR:-/tmp}/vemko-repair.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
CORPUS=$WORK/corpus

bench/russian_corpus.sh "$CORPUS" 2>&1
build/bench/repair_accuracy_bench "$CORPUS" "$TEXTS"

# Speed: the corpus repeated to 64 MB, UTF-8 read as 1251 and saved as UTF-8: converting the UTF-8
# text from 1251 to UTF-8 is that damage (convert writes '?' for 1251's unassigned 0x98, the second
# byte of И, as many a reader did: those are lost).
V=build/bench/vemkoconv
tr '\0' '\n' <"$CORPUS" >"$WORK/one"
: >"$WORK/text"
while [ "$(stat -c %s "$WORK/text")" -lt $((64 << 20)) ]; do cat "$WORK/one" >>"$WORK/text"; done
head -c $((64 << 20)) "$WORK/text" >"$WORK/utf8"
$V convert -f 1251 -t utf-8 -o "$WORK/damaged" "$WORK/utf8" 2>/dev/null || true
best() {
    local best=999999 t
    for _ in $(seq "$RUNS"); do
        local start=$(date +%s%N)
        "$@" >/dev/null 2>&1 || true
        t=$((($(date +%s%N) - start) / 1000000))
        [ $t -lt $best ] && best=$t
    done
    echo $best
}
echo
echo "64 MB damaged file ($(stat -c %s "$WORK/damaged") bytes), best of $RUNS:"
echo "  repair -> /dev/null:                   $(best $V repair -o /dev/null "$WORK/damaged") ms"
echo "  convert -f utf-8 -t 1251 -> /dev/null:  $(best $V convert -f utf-8 -t 1251 -o /dev/null "$WORK/damaged") ms"
echo "  repair -o file:                        $(best $V repair -o "$WORK/out" "$WORK/damaged") ms"
echo "  convert -f utf-8 -t 1251 -o file:       $(best $V convert -f utf-8 -t 1251 -o "$WORK/out" "$WORK/damaged") ms"
