#!/usr/bin/env bash
# Races `vemkoconv convert -f auto -i -r` against `find TREE -type f -print0 | xargs -0 enconv -L
# russian -x UTF-8` (Debian package enca) on the same archive of small files, and checks what each
# did. The archive (bench/lib/archive_tree.py): Russian texts of the machine's fortunes-ru and
# manpages-ru in 1251, 866, KOI8-R, ISO 8859-5, Mac Cyrillic and UTF-8, other languages' manual pages
# in their legacy encodings and UTF-8, English ones, data, folders of Cyrillic names, a link to a
# file, one to a folder and a FIFO. Usage:
#   bench/archive_vs_enconv.sh [path/to/vemkoconv] [files]
# Without a path it builds an optimised vemkoconv in build/bench. Each run gets a fresh copy of the
# archive; the two take turns, RUNS times each (5 when not given), and the figures are medians of wall
# time and of processor time (user and system) of the whole command.
set -euo pipefail

cd "$(dirname "$0")/.."
. bench/lib/timing.sh
vemkoconv_to_time "${1:-}"
FILES=${2:-2500}
RUNS=${RUNS:-5}
command -v enconv >/dev/null || { echo "enconv is not installed: apt-get install enca" >&2; exit 1; }

make_work_folder
python3 bench/lib/archive_tree.py "$WORK/tree" "$FILES" "$WORK/manifest"
find "$WORK/tree" -type f -exec touch -d '1999-12-31 23:59' {} +

fresh() { rm -rf "$WORK/run"; cp -a "$WORK/tree" "$WORK/run"; }
# seconds of wall and of processor time of one run, as "wall cpu"
timed() {
    /usr/bin/time -f '%e %U %S' -o "$WORK/time" "$@" >"$WORK/out" 2>"$WORK/err" || true
    # the last line: a failed command's status comes first
    awk 'END {printf "%.3f %.3f\n", $1, $2 + $3}' "$WORK/time"
}
run_vemko() { timed "$VEMKOCONV" convert -f auto -i -r -p "$WORK/run"; }
run_enconv() { timed sh -c 'find "$1" -type f -print0 | xargs -0 enconv -L russian -x UTF-8' sh "$WORK/run"; }

# What a run left: for each file of the manifest, whether it is the Russian text in UTF-8, the bytes it
# had, or neither; and whether the converted kept their dates. With "dry run", only whether anything
# changed at all.
verdict() {  # label
    python3 - "$WORK" "$1" <<'PY'
import os, sys
work, label = sys.argv[1], sys.argv[2]
converted = untouched = wrong = changed_other = dated = same = 0
russian = other = 0
for line in open(f"{work}/manifest", encoding="utf-8"):
    path, kind, original = line.rstrip("\n").split("\t")
    now = open(f"{work}/run/{path}", "rb").read()
    before = open(f"{work}/tree/{path}", "rb").read()
    if kind.startswith("russian-") and kind != "russian-utf-8":
        russian += 1
        if now == open(original, "rb").read().decode("utf-8").encode("utf-8"):
            converted += 1
            dated += os.stat(f"{work}/run/{path}").st_mtime == os.stat(f"{work}/tree/{path}").st_mtime
        elif now == before:
            untouched += 1
        else:
            wrong += 1
    else:
        other += 1
        changed_other += now != before
    if label == "dry run":
        same += now == before and os.stat(f"{work}/run/{path}").st_mtime == os.stat(f"{work}/tree/{path}").st_mtime
if label == "dry run":
    print(f"dry run: {same} of {russian + other} files "
          f"as they were, to the byte and the date")
    sys.exit()
print(f"{label}: {converted} of {russian} Russian files in code pages converted to UTF-8 ({dated} kept their "
      f"dates, {untouched} left as they were, {wrong} wrong); {changed_other} of {other} other files changed")
PY
}

echo "vemkoconv against enconv ($(dpkg-query -W -f '${Version}' enca 2>/dev/null || echo '?')), $FILES files," \
    "$(du -sh "$WORK/tree" | cut -f1), median of $RUNS runs each, taking turns"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1-3 /proc/loadavg)"
fresh
"$VEMKOCONV" convert -f auto -i -r -n "$WORK/run" >"$WORK/dry" 2>"$WORK/dry.err" || true
verdict "dry run"
named=$(grep -c -P '\t(1251|866|koi8r|iso|mac)\tutf-8\t' "$WORK/dry" || true)
echo "dry run: $named files named for conversion; $(tail -1 "$WORK/dry.err")"
vw=() vc=() ew=() ec=()
for _ in $(seq "$RUNS"); do
    fresh
    read -r w c < <(run_vemko)
    vw+=("$w") vc+=("$c")
    fresh
    read -r w c < <(run_enconv)
    ew+=("$w") ec+=("$c")
done
fresh
run_vemko >/dev/null
verdict vemkoconv
echo "vemkoconv's summary: $(tail -1 "$WORK/err")"
fresh
run_enconv >/dev/null
verdict enconv
mvw=$(median "${vw[@]}") mvc=$(median "${vc[@]}") mew=$(median "${ew[@]}") mec=$(median "${ec[@]}")
printf '%-10s %8s %8s\n' "" wall cpu
printf '%-10s %7.2fs %7.2fs\n' vemkoconv "$mvw" "$mvc" enconv "$mew" "$mec"
printf '%-10s %7.1fx %7.1fx\n' speed-up "$(echo "$mew / $mvw" | bc -l)" "$(echo "$mec / $mvc" | bc -l)"
