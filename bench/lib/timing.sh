# What the benchmark scripts that race vemkoconv against iconv share: the timing, the work folder and
# the texts; sourced, never run. Every figure is wall-clock milliseconds of a whole process, as a
# user at a shell sees it.

# VEMKOCONV: the program given, or an optimised vemkoconv built in build/bench (the native preset's
# is a sanitizer build, far too slow to time). Call it from the checkout's top folder.
vemkoconv_to_time() {  # [path/to/vemkoconv]
    if [ -n "${1:-}" ]; then
        VEMKOCONV=$1
    else
        cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
        cmake --build build/bench --target vemkoconv -j2 >/dev/null
        VEMKOCONV=build/bench/vemkoconv
    fi
    [ -x "$VEMKOCONV" ] || { echo "no vemkoconv at $VEMKOCONV" >&2; exit 1; }
    command -v iconv >/dev/null || { echo "iconv is not installed" >&2; exit 1; }
}

ms() {  # command...: the wall-clock time of one run
    local start end
    start=$(date +%s%N)
    "$@"
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

best_ms() {  # output command...: the best of $RUNS runs; the output file is removed before each, since
    # freeing the pages of the previous output is no part of either conversion
    local output=$1 best= t
    shift
    for _ in $(seq "$RUNS"); do
        [ "$output" = /dev/null ] || rm -f "$output"
        t=$(ms "$@")
        if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
    done
    echo "$best"
}

speedup() { echo "$1 / ($2 + 0.5)" | bc -l; }  # slower-ms faster-ms, kept finite when the faster is 0 ms

run_iconv() { iconv -f "$1" -t "$2" "$3" >"$4"; }
run_vemko() { "$VEMKOCONV" convert -f "$1" -t "$2" "$3" >"$4"; }
run_cat() { cat "$1" >"$2"; }

# WORK: a folder of the run's own, removed when the script ends.
make_work_folder() {
    WORK=$(mktemp -d "${TMPDIR:-/tmp}/vemko-bench.XXXXXX")
    trap 'rm -rf "$WORK"' EXIT
}

# Russian prose with Ё/ё, digits and ASCII punctuation: characters that every one of the five code
# pages has, so that both tools must convert every byte and give the same bytes.
write_seed_prose() {  # file
    cat >"$1" <<'TEXT'
Съешь же ещё этих мягких французских булок, да выпей чаю. Широкая электрификация южных губерний
даст мощный толчок подъёму сельского хозяйства. В чащах юга жил бы цитрус? Да, но фальшивый
экземпляр! ЭХ, ЧУЖАК, ОБЩИЙ СЪЁМ ЦЕН ШЛЯП (ЮФТЬ) - ВДРЫЗГ. Ёжик в тумане: 1957 год, 12 часов 30 минут.
Любя, съешь щипцы, - вздохнёт мэр, - кайф жгуч. Шеф взъярён тчк щипцы с эхом гудбай Жюль.
TEXT
}

repeated_to() {  # file bytes: the file's bytes repeated and cut at that many, to standard output
    local grown=$1.grown
    cp "$1" "$grown"
    while [ "$(stat -c %s "$grown")" -lt "$2" ]; do
        cat "$grown" "$grown" >"$grown.tmp" && mv "$grown.tmp" "$grown"
    done
    head -c "$2" "$grown"
    rm "$grown"
}
