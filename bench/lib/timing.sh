# Timing for the benchmark scripts that race vemkoconv against iconv; sourced, never run.
# Every figure is wall-clock milliseconds of a whole process, as a user at a shell sees it.

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
