#!/usr/bin/env bash
# Times `vemkoconv convert -o` against glibc iconv on Russian prose that nobody here wrote: the Russian
# manual pages (manpages-ru) and fortunes (fortunes-ru), in 1251 with CR LF line ends, repeated to
# 64 MB, to UTF-8 and back. Runs of the two alternate and each figure is a median, so that a machine
# that others share weighs on both alike; OUT is timed both new (removed outside the timing) and
# existing (replaced, as a second run replaces it). Usage:
#   bench/held_out_to_utf8.sh [path/to/vemkoconv] [runs]
# Without a path it builds an optimised vemkoconv in build/bench.
set -euo pipefail

cd "$(dirname "$0")/.."
for dir in /usr/share/games/fortunes/ru /usr/share/man/ru; do
    [ -d "$dir" ] || { echo "$dir is missing: apt-get install fortunes-ru manpages-ru" >&2; exit 1; }
done
. bench/lib/timing.sh
vemkoconv_to_time "${1:-}"
RUNS=${2:-11}

WORK=$(mktemp -d "${TMPDIR:-/tmp}/vemko-held-out.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
# The pages' text without their formatting requests, then the fortunes; what 1251 lacks is left out.
{
    for f in /usr/share/man/ru/man*/*; do
        zcat -f "$f" | sed -e '/^[.'"'"']/d' -e 's/\\f[BIRP]//g; s/\\f(..//g; s/\\(..//g; s/\\[-&e]//g; s/\\\*(..//g'
    done
    for f in /usr/share/games/fortunes/ru/*; do
        case $f in *.dat | *.u8) continue ;; esac
        cat "$f"
    done
} | iconv -c -f UTF-8 -t CP1251 | sed 's/\r$//; s/$/\r/' >"$WORK/seed.1251"
cp "$WORK/seed.1251" "$WORK/grow"
while [ "$(stat -c %s "$WORK/grow")" -lt $((64 * 1024 * 1024)) ]; do
    cat "$WORK/grow" "$WORK/grow" >"$WORK/grow2" && mv "$WORK/grow2" "$WORK/grow"
done
head -c $((64 * 1024 * 1024)) "$WORK/grow" >"$WORK/in.1251" && rm "$WORK/grow"
iconv -f CP1251 -t UTF-8 "$WORK/in.1251" >"$WORK/in.utf8"

echo "held-out text: $(stat -c %s "$WORK/seed.1251") bytes of 1251 prose repeated to 64 MB; medians of $RUNS alternating runs"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for direction in "CP1251 UTF-8 1251 utf-8 in.1251" "UTF-8 CP1251 utf-8 1251 in.utf8"; do
    read -r ifrom ito vfrom vto input <<<"$direction"
    in_new=() in_old=() ve_new=() ve_old=()
    for _ in $(seq "$RUNS"); do
        rm -f "$WORK/out.iconv"
        in_new+=("$(ms run_iconv "$ifrom" "$ito" "$WORK/$input" "$WORK/out.iconv")")
        in_old+=("$(ms run_iconv "$ifrom" "$ito" "$WORK/$input" "$WORK/out.iconv")")
        rm -f "$WORK/out.vemko"
        ve_new+=("$(ms "$VEMKOCONV" convert -f "$vfrom" -t "$vto" -o "$WORK/out.vemko" "$WORK/$input")")
        ve_old+=("$(ms "$VEMKOCONV" convert -f "$vfrom" -t "$vto" -o "$WORK/out.vemko" "$WORK/$input")")
    done
    cmp -s "$WORK/out.iconv" "$WORK/out.vemko" && same=byte-identical || same=DIFFERENT
    a=$(median "${in_new[@]}") b=$(median "${ve_new[@]}") c=$(median "${in_old[@]}") d=$(median "${ve_old[@]}")
    printf '%-14s new OUT: iconv %5d ms, vemkoconv -o %4d ms, %4.1fx; existing OUT: iconv %5d ms, vemkoconv -o %4d ms, %4.1fx  %s\n' \
        "$vfrom -> $vto" "$a" "$b" "$(speedup "$a" "$b")" "$c" "$d" "$(speedup "$c" "$d")" "$same"
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
