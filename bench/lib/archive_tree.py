#!/usr/bin/env python3
"""Builds an archive of many small files, as years leave one, from texts the machine's Debian packages
ship: Russian sayings (fortunes-ru) and manual pages (manpages-ru) cut into files of a few KB and
written in 1251, 866, KOI8-R, ISO 8859-5, Mac Cyrillic and UTF-8; other languages' manual pages in
their legacy encodings and in UTF-8; English ones in ASCII; pieces of programs and message catalogues
as data; in folders of Cyrillic names with spaces, with a link to a file, one to a folder and a FIFO.

Usage: archive_tree.py TREE FILES MANIFEST
MANIFEST gets a line a file: its path below TREE, a tab, its kind (russian-1251 ... russian-utf-8,
other, ascii, binary), a tab and, for a Russian one, the path of its text in UTF-8 (beside MANIFEST).
"""
import glob
import gzip
import os
import random
import re
import sys

TREE, FILES, MANIFEST = sys.argv[1], int(sys.argv[2]), sys.argv[3]
random.seed(1998)

CODE_PAGES = [("1251", "cp1251"), ("866", "cp866"), ("koi8r", "koi8_r"), ("iso", "iso8859_5"),
              ("mac", "mac_cyrillic")]
# Every code page holds these the same way; anything else of a Russian text is made ASCII first, so
# that each file converted back must be its UTF-8 text to the byte.
CYRILLIC = set("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя")
PLAIN = {"«": '"', "»": '"', "„": '"', "“": '"', "”": '"', "—": "-", "–": "-", "…": "...", "’": "'",
         "№": "N", "\u00a0": " "}


def man_text(path):
    with open(path, "rb") as f:
        raw = f.read()
    if raw[:2] == b"\x1f\x8b":
        raw = gzip.decompress(raw)
    text = raw.decode("utf-8", "replace")
    lines = [l for l in text.split("\n") if not l.startswith((".", "'"))]
    text = "\n".join(lines)
    return re.sub(r"\\f[BIRP]|\\f\(..|\\\(..|\\[-&e]|\\\*\(..", "", text)


def russian_plain(text):
    out = []
    for c in text:
        if c in CYRILLIC or c == "\n" or " " <= c <= "~":
            out.append(c)
        elif c in PLAIN:
            out.append(PLAIN[c])
        elif c == "\t":
            out.append("    ")
    return "".join(out)


def pieces(text, count, low=2000, high=6000, letters=None):
    """`count` pieces of `low`-`high` characters, cut at line ends, from anywhere in `text`; with
    `letters`, only pieces with a hundred of them (a Russian text, not a page's ASCII example)."""
    lines = text.split("\n")
    result = []
    while len(result) < count:
        start = random.randrange(len(lines))
        size = random.randint(low, high)
        piece, i, length = [], start, 0
        while length < size and i < len(lines):
            piece.append(lines[i])
            length += len(lines[i]) + 1
            i += 1
        piece = "\n".join(piece).strip("\n") + "\n"
        if len(piece) >= low // 2 and (letters is None or sum(c in letters for c in piece) >= 100):
            result.append(piece)
    return result


def russian_corpus():
    parts = []
    for f in sorted(glob.glob("/usr/share/games/fortunes/ru/*")):
        if f.endswith((".dat", ".u8")) or os.path.islink(f):
            continue
        with open(f, encoding="utf-8", errors="replace") as text:
            parts.append(text.read().replace("\n%\n", "\n\n"))
    for f in sorted(glob.glob("/usr/share/man/ru/man*/*")):
        parts.append(man_text(f))
    # Pages of nothing but capital letters (the character set tables) read alike in several code pages.
    return russian_plain("\n".join(p for p in parts if p.count("БУКВА") < 10))


def other_corpus(language):
    pages = sorted(glob.glob(f"/usr/share/man/{language}/man*/*"))
    if not pages:
        sys.exit(f"no manual pages in /usr/share/man/{language}: apt-get install manpages-{language.lower()}")
    return "\n".join(man_text(f) for f in pages[:60])


FOLDERS = ["Архив", "Архив/Письма 1998", "Архив/Письма 1999", "Архив/Отчёты", "Архив/Отчёты/Квартал 1",
           "Архив/Отчёты/Квартал 2", "Архив/Договоры и счета", "Архив/Договоры и счета/Старые",
           "Архив/Переписка директора", "Архив/Переписка директора/Дискеты", "Архив/Foreign",
           "Архив/Foreign/Deutsch", "Архив/Foreign/Français", "Архив/Foreign/Polski", "Архив/Foreign/日本語",
           "Архив/Разное", "Архив/Разное/Программы", "Архив/Разное/Сканы", "Архив/Учёт", "Архив/Учёт/Склад",
           "Архив/Учёт/Кадры", "Архив/Черновики", "Архив/Черновики/Ёлка 2001", "Архив/Справки",
           "Архив/Справки/Для налоговой"]


def main():
    for folder in FOLDERS:
        os.makedirs(os.path.join(TREE, folder), exist_ok=True)
    texts = os.path.join(os.path.dirname(os.path.abspath(MANIFEST)), "texts")
    os.makedirs(texts, exist_ok=True)
    files = []  # (kind, bytes, utf-8 text or None)
    russian = russian_corpus()
    n_russian = FILES * 3 // 5 // 5
    for name, codec in CODE_PAGES:
        for k, piece in enumerate(pieces(russian, n_russian, letters=CYRILLIC)):
            if name == "866" and k % 2 == 0:
                piece = piece.replace("\n", "\r\n")  # written on DOS
            files.append((f"russian-{name}", piece.encode(codec), piece))
    for piece in pieces(russian, FILES // 15, letters=CYRILLIC):
        files.append(("russian-utf-8", piece.encode("utf-8"), None))
    legacy = [("de", "latin-1"), ("fr", "latin-1"), ("es", "latin-1"), ("it", "latin-1"), ("nl", "latin-1"),
              ("pt_BR", "latin-1"), ("pl", "iso8859_2"), ("cs", "iso8859_2"), ("ja", "euc_jp"), ("ja", "shift_jis")]
    n_other = FILES * 2 // 10 // len(legacy)
    for language, codec in legacy:
        corpus = other_corpus(language)
        for k, piece in enumerate(pieces(corpus, n_other)):
            files.append(("other", piece.encode(codec if k % 5 else "utf-8", "replace"), None))
    english = "\n".join(man_text(f) for f in sorted(glob.glob("/usr/share/man/man1/*"))[:200])
    english = english.encode("ascii", "replace").decode()
    binaries = sorted(glob.glob("/usr/bin/*"))[:200] + sorted(glob.glob("/usr/share/locale/*/LC_MESSAGES/*.mo"))[:200]
    data = []
    for f in binaries:
        try:
            with open(f, "rb") as b:
                data.append(b.read(8192))
        except OSError:
            pass
    data = [d for d in data if b"\0" in d]
    while len(files) < FILES - FILES // 25:
        piece = pieces(english, 1)[0]
        files.append(("ascii", piece.encode("ascii"), None))
    while len(files) < FILES:
        d = random.choice(data)
        start = random.randrange(max(1, len(d) - 4096))
        files.append(("binary", d[start:start + random.randint(1000, 4096)], None))
    random.shuffle(files)
    with open(MANIFEST, "w", encoding="utf-8") as manifest:
        for i, (kind, data_bytes, text) in enumerate(files):
            folder = FOLDERS[i % len(FOLDERS)]
            stem = ["письмо", "отчёт", "Счёт № ", "note", "приказ"][i % 5]
            path = f"{folder}/{stem} {i:04d}.txt" if kind != "binary" else f"{folder}/данные {i:04d}.bin"
            with open(os.path.join(TREE, path), "wb") as f:
                f.write(data_bytes)
            original = ""
            if text is not None:
                original = os.path.join(texts, f"{i:04d}.txt")
                with open(original, "w", encoding="utf-8", newline="") as f:
                    f.write(text)
            manifest.write(f"{path}\t{kind}\t{original}\n")
    first = next(line.split("\t")[0] for line in open(MANIFEST, encoding="utf-8") if "\trussian-1251\t" in line)
    os.symlink(os.path.relpath(os.path.join(TREE, first), os.path.join(TREE, "Архив/Разное")),
               os.path.join(TREE, "Архив/Разное/ссылка на письмо.txt"))
    os.symlink("../Отчёты", os.path.join(TREE, "Архив/Разное/Отчёты (ссылка)"))
    os.mkfifo(os.path.join(TREE, "Архив/Разное/канал"))


main()
