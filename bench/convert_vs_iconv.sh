#!/usr/bin/env bash
# Times `vemkoconv convert` against glibc iconv on the same 64 MB Cyrillic texts, checks that both give
# the same bytes where their mappings agree, and prints the figures. Usage:
#   bench/convert_vs_iconv.sh [path/to/vemkoconv] [megabytes]
# Without a path it builds an optimised vemkoconv in build/bench (the native preset's is a sanitizer
# build, far too slow to time).
# Each timing is the best of five runs; outputs go to /dev/null and to a new file in the work folder.
set -euo pipefail

cd "$(dirname "$0")/.."
. bench/lib/timing.sh
vemkoconv_to_time "${1:-}"
MEGABYTES=${2:-64}
RUNS=5

make_work_folder
write_seed_prose "$WORK/seed.txt"

make_text() {  # code page, file
    iconv -f UTF-8 -t "$1" "$WORK/seed.txt" >"$2.seed"
    repeated_to "$2.seed" $((MEGABYTES * 1024 * 1024)) >"$2" && rm "$2.seed"
}

hex_lines() {  # file: each of its lines as hex bytes, one line per line
    od -An -v -tx1 "$1" | tr -s ' ' '\n' | sed '/^$/d' | awk '$1=="0a" {print l; l=""; next} {l=l $1}'
}

# Per-byte agreement of the two mappings: every byte 0x80-0xFF on a line of its own; iconv -c leaves
# the line empty where its target lacks the character.
byte_agreement() {  # vemko-from vemko-to iconv-from iconv-to
    local bytes="$WORK/bytes"
    : >"$bytes"
    for b in $(seq 128 255); do printf "\\$(printf %03o "$b")\n" >>"$bytes"; done
    iconv -c -f "$3" -t "$4" "$bytes" >"$WORK/bytes.iconv" 2>/dev/null || true
    "$VEMKOCONV" convert -f "$1" -t "$2" "$bytes" >"$WORK/bytes.vemko"
    paste -d '\t' <(hex_lines "$WORK/bytes.vemko") <(hex_lines "$WORK/bytes.iconv") |
        awk -F '\t' '$2=="" {lacks++; next} $1==$2 {agree++; next} {differ++}
                     END {printf "%d agree, %d differ, %d lacking in iconv", agree, differ, lacks}'
}

echo "vemkoconv against iconv ($(iconv --version | head -1)), ${MEGABYTES} MB, best of $RUNS"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
printf '%-22s %10s %10s %8s %10s %10s %8s  %s\n' conversion iconv-null vemko-null speedup iconv-file vemko-file \
    speedup output
for pair in "CP1251 KOI8-R 1251 koi8r" "CP866 CP1251 866 1251" "KOI8-R CP866 koi8r 866" \
    "CP1251 ISO-8859-5 1251 iso" "CP866 MAC-CYRILLIC 866 mac"; do
    read -r ifrom ito vfrom vto <<<"$pair"
    input="$WORK/in.$vfrom"
    [ -f "$input" ] || make_text "$ifrom" "$input"
    in_null=$(best_ms /dev/null run_iconv "$ifrom" "$ito" "$input" /dev/null)
    ve_null=$(best_ms /dev/null run_vemko "$vfrom" "$vto" "$input" /dev/null)
    in_file=$(best_ms "$WORK/out.iconv" run_iconv "$ifrom" "$ito" "$input" "$WORK/out.iconv")
    ve_file=$(best_ms "$WORK/out.vemko" run_vemko "$vfrom" "$vto" "$input" "$WORK/out.vemko")
    if cmp -s "$WORK/out.iconv" "$WORK/out.vemko"; then same="byte-identical"; else same="DIFFERENT"; fi
    printf '%-22s %8d ms %7d ms %7.1fx %7d ms %7d ms %7.1fx  %s\n' "$vfrom -> $vto" "$in_null" "$ve_null" \
        "$(speedup "$in_null" "$ve_null")" "$in_file" "$ve_file" \
        "$(speedup "$in_file" "$ve_file")" "$same"
    echo "    bytes 0x80-0xFF: $(byte_agreement "$vfrom" "$vto" "$ifrom" "$ito")"
    rm -f "$WORK/out.iconv" "$WORK/out.vemko"
done
echo "floor, copying the ${MEGABYTES} MB with cat: $(best_ms /dev/null run_cat "$WORK/in.1251" /dev/null) ms to /dev/null," \
    "$(best_ms "$WORK/out.cat" run_cat "$WORK/in.1251" "$WORK/out.cat") ms to a new file"
