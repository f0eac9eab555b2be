#!/usr/bin/env python3
"""Learns the letter statistics of Russian text that `vemkoconv detect` uses and writes them to
encoding/russian_letter_statistics.cpp.

The corpus is the Russian translations (msgstr) of the message catalogues that Debian packages install
under /usr/share/locale/ru/LC_MESSAGES, read through Python's gettext, which decodes each catalogue by
its own charset, and the prose of Debian's Russian documentation (the HTML pages of the packages in
DOCUMENTS below), where the signs of Russian typography stand as writers set them: the catalogues put
« » about names and placeholders, hardly ever before a word, and seldom write … or a dash. Russian
fortunes and manual pages are never read here: they are kept for judging the result
(bench/detect_accuracy.sh, bench/detect_corpus.sh). The output lists the catalogues and documents it
was made from; run it again, on a machine with the same packages, to get the same file:

    apt-get install -y --no-install-recommends debian-faq-ru maint-guide-ru developers-reference-ru \\
        aptitude-doc-ru doublecmd-help-ru gimp-help-ru kicad-doc-ru
    scripts/make-letter-statistics.py [catalogue folder] > encoding/russian_letter_statistics.cpp
"""
import glob
import gettext
import html.parser
import math
import os
import re
import subprocess
import sys

DOCUMENTS = ['debian-faq-ru', 'maint-guide-ru', 'developers-reference-ru', 'aptitude-doc-ru', 'doublecmd-help-ru',
             'gimp-help-ru', 'kicad-doc-ru']
CLASSES = 44
ASCII_OTHER, LATIN, FIRST_RUSSIAN, OTHER = 0, 1, 2, 35
# The signs of Russian typography, each a class of its own: where each may stand differs (an opening
# guillemet before a word, a closing one after it, a dash between blanks, a no-break space after a
# short word), and each says so in every code page that has it.
SIGNS = {
    '«': 36, '„': 36, '‚': 36,
    '»': 37, '”': 37, '’': 37,
    '“': 38, '‘': 38,  # closing in Russian („…“), opening in English
    '—': 39, '–': 39,
    '…': 40,
    '№': 41,
    '\u00a0': 42,
}
FIRST_SIGN = 36
DIGIT = 43  # apart from the blanks: a letter between digits ("10×11" read as "10в11") is no word
PLACEHOLDER = re.compile(r'%[-+ #0-9.*$lhqjzt]*[a-zA-Z]|%\([^)]*\)|\{[^}]*\}|\$\{?\w+|<[^>]*>|@\w+@')
NO_CASE, LOWER, UPPER = 0, 1, 2
# The letters of the other Cyrillic alphabets count as the Russian letter nearest to them.
NEAREST_RUSSIAN = dict(zip('ѐђѓєѕіїјљњћќѝўџґ', 'едгезиийлнчкиуцг'))
UNIT = 64  # 1/64 nat


def class_of(ch):
    """The same classes as ClassOfCharacter in encoding/encoding_detection.cpp."""
    c = ord(ch)
    if 0x430 <= c <= 0x44F:
        return FIRST_RUSSIAN + c - 0x430, LOWER
    if 0x410 <= c <= 0x42F:
        return FIRST_RUSSIAN + c - 0x410, UPPER
    if c == 0x451:
        return FIRST_RUSSIAN + 32, LOWER
    if c == 0x401:
        return FIRST_RUSSIAN + 32, UPPER
    if ch in NEAREST_RUSSIAN:
        return class_of(NEAREST_RUSSIAN[ch])[0], LOWER
    if ch.lower() in NEAREST_RUSSIAN:
        return class_of(NEAREST_RUSSIAN[ch.lower()])[0], UPPER
    if ord('a') <= c <= ord('z'):
        return LATIN, LOWER
    if ord('A') <= c <= ord('Z'):
        return LATIN, UPPER
    if ord('0') <= c <= ord('9'):
        return DIGIT, NO_CASE
    if c < 0x80:
        return ASCII_OTHER, NO_CASE
    return SIGNS.get(ch, OTHER), NO_CASE


def translations(path):
    with open(path, 'rb') as f:
        catalogue = gettext.GNUTranslations(f)
    for key, text in catalogue._catalog.items():
        msgid = key[0] if isinstance(key, tuple) else key
        if msgid and text:  # the empty msgid is the catalogue's header
            yield text


class Prose(html.parser.HTMLParser):
    """The text of an HTML page without its scripts, styles and program listings, a line a block."""
    SKIPPED = {'script', 'style', 'pre', 'code', 'tt', 'kbd', 'samp'}
    BLOCKS = {'p', 'div', 'br', 'li', 'h1', 'h2', 'h3', 'h4', 'h5', 'tr', 'td', 'dt', 'dd', 'title', 'table'}

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.parts, self.skipping = [], 0

    def handle_starttag(self, tag, attrs):
        self.skipping += tag in self.SKIPPED
        if tag in self.BLOCKS:
            self.parts.append('\n')

    def handle_endtag(self, tag):
        if tag in self.SKIPPED:
            self.skipping = max(0, self.skipping - 1)

    def handle_data(self, data):
        if not self.skipping:
            self.parts.append(data)


def document_texts(package):
    try:
        files = subprocess.run(['dpkg', '-L', package], capture_output=True, text=True, check=True).stdout.split()
    except (OSError, subprocess.CalledProcessError):
        sys.stderr.write(f'{package} is not installed: its text is left out\n')
        return []
    texts = []
    for path in sorted(f for f in files if f.endswith('.html') and os.path.isfile(f)):
        raw = open(path, 'rb').read()
        charset = re.search(rb'charset=["\']?([-\w]+)', raw[:4096])
        prose = Prose()
        prose.feed(raw.decode(charset.group(1).decode() if charset else 'utf-8', 'replace'))
        text = re.sub(r'[ \t\r]*\n\s*', '\n', re.sub(r'[ \t\r]+', ' ', ''.join(prose.parts)))
        # Lines without a Russian word are menus, tables and commands.
        texts.append('\n'.join(line for line in text.split('\n') if re.search('[а-яё]{3}', line)))
    return texts


def pool_signs(pairs):
    """The pairs of a letter and a sign, counted over all letters alike: a sign is too rare for its
    place beside each of 33 letters to be learned, while where it stands beside letters as such is
    (a closing guillemet or an ellipsis after a word, an opening guillemet before one). A letter after
    a sign is then as likely as at the start of a word."""
    letters = range(FIRST_RUSSIAN, OTHER)
    out = [list(row) for row in pairs]
    letter_total = sum(sum(pairs[a]) for a in letters)
    for b in range(FIRST_SIGN, DIGIT):
        share = sum(pairs[a][b] for a in letters) / letter_total
        for a in letters:
            out[a][b] = share * sum(pairs[a])
    word_start = sum(pairs[ASCII_OTHER][c] for c in letters)
    for a in range(FIRST_SIGN, DIGIT):
        to_letters = sum(pairs[a][c] for c in letters)
        for c in letters:
            out[a][c] = to_letters * pairs[ASCII_OTHER][c] / word_start
    return out


def package_of(path):
    try:
        out = subprocess.run(['dpkg', '-S', path], capture_output=True, text=True, check=True).stdout
        return out.split(':')[0]
    except (OSError, subprocess.CalledProcessError):
        return '?'


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else '/usr/share/locale/ru/LC_MESSAGES'
    paths = sorted(glob.glob(os.path.join(folder, '*.mo')))
    pairs = [[0] * CLASSES for _ in range(CLASSES)]
    cases = [[0] * 3 for _ in range(3)]
    used, documents, counted = [], [], {'characters': 0, 'letters': 0}

    def count(text):
        # Around a placeholder ("«%s»", "{name}…") a catalogue's signs stand where prose never puts
        # them: such a message teaches the letters, not the signs.
        signs = not PLACEHOLDER.search(text)
        prev = (ASCII_OTHER, NO_CASE)
        for ch in text + '\n':
            cur = class_of(ch)
            if signs or not (FIRST_SIGN <= prev[0] < DIGIT or FIRST_SIGN <= cur[0] < DIGIT):
                pairs[prev[0]][cur[0]] += 1
            cases[prev[1]][cur[1]] += 1
            counted['characters'] += 1
            counted['letters'] += FIRST_RUSSIAN <= cur[0] < OTHER
            prev = cur

    for path in paths:
        try:
            texts = list(translations(path))
        except (OSError, UnicodeDecodeError):
            continue
        # Catalogues of names of languages, countries and scripts are lists, not prose.
        if os.path.basename(path).startswith('iso_'):
            continue
        used.append(path)
        for text in texts:
            count(text)
    for package in DOCUMENTS:
        texts = document_texts(package)
        if texts:
            documents.append(f'{package} ({len(texts)} pages)')
        for text in texts:
            count(text)

    pooled = pool_signs(pairs)

    def log_table(counts):
        out = []
        for row in counts:
            total = sum(row) + 0.5 * len(row)
            out.append([max(-32768, round(math.log((n + 0.5) / total) * UNIT)) for n in row])
        return out

    w = sys.stdout.write
    w('// Generated by scripts/make-letter-statistics.py: do not edit.\n')
    w(f'// {counted["characters"]} characters ({counted["letters"]} Russian letters) of the Russian translations in '
      f'{len(used)} catalogues and of {len(documents)} documents:\n')
    for path in used:
        w(f'//   {os.path.basename(path)} ({package_of(path)})\n')
    for document in documents:
        w(f'//   {document}\n')
    w('#include "encoding/russian_letter_statistics.h"\n\n')
    w('const std::int16_t kRussianPairLogProbability[kLetterClassCount][kLetterClassCount] = {\n')
    for row in log_table(pooled):
        w('    {' + ', '.join(str(v) for v in row) + '},\n')
    w('};\n\nconst std::int16_t kRussianCaseLogProbability[3][3] = {\n')
    for row in log_table(cases):
        w('    {' + ', '.join(str(v) for v in row) + '},\n')
    w('};\n')


if __name__ == '__main__':
    main()
