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
# Each run times a repair and a convert of the same file one after the other, so that both meet the
# same load; the figures are medians of RUNS, in processor time (user + system) of the whole process
# and in wall-clock time.
source bench/lib/timing.sh
cpu_ms() {  # command...: the processor time of one run, ms
    local TIMEFORMAT='%3U %3S' t
    t=$({ time "$@" >/dev/null 2>&1; } 2>&1)
    echo "$t" | awk '{printf "%d\n", ($1 + $2) * 1000}'
}
run_repair() { $V repair -o "$1" "$WORK/damaged" 2>/dev/null || true; }
run_convert() { $V convert -f utf-8 -t 1251 -o "$1" "$WORK/damaged" 2>/dev/null || true; }
race() {  # label output
    local repairCpu=() convertCpu=() repairWall=() convertWall=()
    for _ in $(seq "$RUNS"); do
        [ "$2" = /dev/null ] || rm -f "$2"
        repairCpu+=("$(cpu_ms run_repair "$2")")
        [ "$2" = /dev/null ] || rm -f "$2"
        convertCpu+=("$(cpu_ms run_convert "$2")")
        [ "$2" = /dev/null ] || rm -f "$2"
        repairWall+=("$(ms run_repair "$2")")
        [ "$2" = /dev/null ] || rm -f "$2"
        convertWall+=("$(ms run_convert "$2")")
    done
    local rc cc
    rc=$(median "${repairCpu[@]}")
    cc=$(median "${convertCpu[@]}")
    printf '  %-10s repair %5d ms, convert -f utf-8 -t 1251 %5d ms: %.1f times (wall %d ms, %d ms)\n' "$1" "$rc" "$cc" \
        "$(echo "$rc / ($cc + 0.5)" | bc -l)" "$(median "${repairWall[@]}")" "$(median "${convertWall[@]}")"
}
echo
echo "64 MB damaged file ($(stat -c %s "$WORK/damaged") bytes), processor time, median of $RUNS:"
race "-> /dev/null" /dev/null
race "-o file" "$WORK/out"
