#!/usr/bin/env bash
# Writes the judging corpus of the letter statistics to FILE: Russian texts they were never learned
# from, the Russian fortunes (Debian package fortunes-ru) and manual pages (manpages-ru), as UTF-8
# documents separated by NUL bytes; says on stderr what went in. Usage: bench/russian_corpus.sh FILE
set -euo pipefail

CORPUS=$1
for dir in /usr/share/games/fortunes/ru /usr/share/man/ru; do
    [ -d "$dir" ] || { echo "$dir is missing: apt-get install fortunes-ru manpages-ru" >&2; exit 1; }
done
# Fortunes: one document a saying (the files are UTF-8; the .u8 names are links to them).
for f in /usr/share/games/fortunes/ru/*; do
    case $f in *.dat | *.u8) continue ;; esac
    sed 's/^%$/\x00/' "$f"
done >"$CORPUS"
# Manual pages: the text of each page without the formatting requests and escapes. The pages that
# are tables of a character set (cp1251(7), koi8-r(7), iso_8859-5(7), ...: lines of "ЗАГЛАВНАЯ
# БУКВА ...") are left out: long runs of capital letters read the same in 866 and Mac Cyrillic, and
# detect rightly says unknown for them; with them in, see docs/figures.md.
pages=0 tables=0
for f in /usr/share/man/ru/man*/*; do
    if [ "$(zcat -f "$f" | grep -c 'БУКВА')" -ge 10 ]; then
        tables=$((tables + 1))
        continue
    fi
    pages=$((pages + 1))
    zcat -f "$f" | sed -e '/^[.'"'"']/d' -e 's/\\f[BIRP]//g; s/\\f(..//g; s/\\(..//g; s/\\[-&e]//g; s/\\\*(..//g'
    printf '\0'
done >>"$CORPUS"

echo "judging corpus: $(ls /usr/share/games/fortunes/ru | grep -vc '\.') fortune files, $pages manual pages" \
    "($tables character set tables left out)" >&2
