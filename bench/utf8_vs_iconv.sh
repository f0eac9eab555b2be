#!/usr/bin/env bash
# Times `vemkoconv convert` to and from UTF-8 against glibc iconv on the same 64 MB Cyrillic texts,
# checks that both give the same bytes, and times `vemkoconv detect` on them. Usage:
#   bench/utf8_vs_iconv.sh [path/to/vemkoconv] [megabytes]
# Without a path it builds an optimised vemkoconv in build/bench (the native preset's is a sanitizer
# build, far too slow to time). Each timing is the best of five runs (RUNS=N for another count: more
# on a machine that others share).
set -euo pipefail

cd "$(dirname "$0")/.."
. bench/lib/timing.sh
vemkoconv_to_time "${1:-}"
MEGABYTES=${2:-64}
RUNS=${RUNS:-5}

make_work_folder
write_seed_prose "$WORK/seed.txt"

make_text() {  # encoding, file: $MEGABYTES MB less the last, cut line
    iconv -f UTF-8 -t "$1" "$WORK/seed.txt" >"$2.seed"
    repeated_to "$2.seed" $((MEGABYTES * 1024 * 1024)) | head -n -1 >"$2" && rm "$2.seed"
}


echo "vemkoconv against iconv ($(iconv --version | head -1)), ${MEGABYTES} MB in the source encoding, best of $RUNS, output to a new file"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
printf '%-16s %10s %10s %8s %10s %10s %8s  %s\n' conversion iconv-null vemko-null speedup iconv-file vemko-file \
    speedup output
for pair in "CP1251 1251" "CP866 866" "KOI8-R koi8r" "ISO-8859-5 iso" "MAC-CYRILLIC mac"; do
    read -r iname vname <<<"$pair"
    input="$WORK/in.$vname"
    make_text "$iname" "$input"
    [ -f "$WORK/in.utf8" ] || make_text UTF-8 "$WORK/in.utf8"
    for direction in to from; do
        if [ $direction = to ]; then
            args=("$iname" UTF-8 "$input") vargs=("$vname" utf-8 "$input") label="$vname -> utf-8"
        else
            args=(UTF-8 "$iname" "$WORK/in.utf8") vargs=(utf-8 "$vname" "$WORK/in.utf8") label="utf-8 -> $vname"
        fi
        in_null=$(best_ms /dev/null run_iconv "${args[@]}" /dev/null)
        ve_null=$(best_ms /dev/null run_vemko "${vargs[@]}" /dev/null)
        in_file=$(best_ms "$WORK/out.iconv" run_iconv "${args[@]}" "$WORK/out.iconv")
        ve_file=$(best_ms "$WORK/out.vemko" run_vemko "${vargs[@]}" "$WORK/out.vemko")
        if cmp -s "$WORK/out.iconv" "$WORK/out.vemko"; then same="byte-identical"; else same="DIFFERENT"; fi
        printf '%-16s %7d ms %7d ms %7.1fx %7d ms %7d ms %7.1fx  %s\n' "$label" "$in_null" "$ve_null" \
            "$(speedup "$in_null" "$ve_null")" "$in_file" "$ve_file" \
            "$(speedup "$in_file" "$ve_file")" "$same"
        [ "$vname" != 1251 ] || cp "$WORK/out.vemko" "$WORK/floor.$direction"
        rm -f "$WORK/out.iconv" "$WORK/out.vemko"
    done
    [ "$vname" = 1251 ] || rm -f "$input"
done
for direction in to from; do
    if [ $direction = to ]; then what="1251 -> utf-8"; else what="utf-8 -> 1251"; fi
    echo "floor, copying the output of $what ($(($(stat -c %s "$WORK/floor.$direction") / 1048576)) MB) with cat:" \
        "$(best_ms /dev/null run_cat "$WORK/floor.$direction" /dev/null) ms to /dev/null," \
        "$(best_ms "$WORK/out.cat" run_cat "$WORK/floor.$direction" "$WORK/out.cat") ms to a new file"
done
run_detect() { "$VEMKOCONV" detect "$1" >"$2"; }
echo "detect on the $MEGABYTES MB 1251 file: $(best_ms "$WORK/out.detect" run_detect "$WORK/in.1251" "$WORK/out.detect") ms ($(cut -f2- "$WORK/out.detect" | tr '\t' ' '))"
