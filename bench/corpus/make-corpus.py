#!/usr/bin/env python3
"""Writes a corpus of clean texts, in many languages and in the encodings their writers use, for the
detection and repair benchmarks. Nothing in it was written here: the texts are the translations of
Debian's message catalogues (/usr/share/locale/LANG/LC_MESSAGES/*.mo), the manual pages of the
manpages-LANG packages (/usr/share/man/LANG) and the Russian fortunes (fortunes-ru). Usage:

    bench/corpus/make-corpus.py OUT [--wholes N] [--excerpts N] [--lines N] [--seed S]
                                    [--languages ru,uk,...]

OUT gets one folder a kind of text, named LANG.ENCODING.LENGTH, each file in it one text:
  LANG      the catalogue language (ru, uk, de, zh_CN, ...)
  ENCODING  iconv's name of the encoding the bytes are in; UTF-16LE files start with a byte order
            mark (as Windows tools write them), UTF-16BE files have none; FIRST+SECOND (in the
            folders of LENGTH mixed) is a file whose first part is in FIRST and the rest in SECOND
  LENGTH    whole (a manual page, a catalogue's translations one a line, up to 64 KB, or a fortune
            file), excerpt (consecutive lines of a whole text, 100-1500 characters), line (one line
            of 20-90 characters: a message, a heading, a saying cut at a word) or mixed (two
            excerpts of one language in two Cyrillic code pages, joined by an empty line)
The file names say where a text came from (man-, msg-, fortune-) and are the same across the
encodings of a language, so that LANG.UTF-8.LENGTH/NAME is the text of LANG.CP1251.LENGTH/NAME. A
character that an encoding lacks goes through iconv's transliteration (« as <<, — as -, № as No), as
a converting tool writes it; a text that would lose more than one character in a hundred to '?' is
left out of that encoding, and an excerpt or line of ASCII alone is left out. Files in the Windows and DOS encodings and in UTF-16 have CR LF line ends,
the others LF.

The Russian texts are typographic as people write them today: the manual pages use « » — … ё and
the no-break space as translated; the fortunes, typed with ASCII quotes and hyphens, are set as an
editor's autocorrection sets them («», —, …, a no-break space before a dash and after one-letter
words, ё in the common words that need it). The Russian catalogues are what the letter statistics
of `vemkoconv detect` were learned from: their files are named msg-, so a benchmark can tell them
apart. Needs python3, iconv, and the packages the texts come from, for example
    apt-get install -y manpages-ru manpages-uk manpages-de manpages-fr manpages-pl manpages-es \
        manpages-it manpages-ja manpages-pt-br manpages-nl manpages-cs fortunes-ru libc-l10n \
        libgtk2.0-common libglib2.0-data libgtk-3-common iso-codes
A language with no texts on the machine is left out and said so on stderr.
"""
import argparse
import gettext
import glob
import gzip
import os
import random
import re
import subprocess
import sys

CYRILLIC_PAGES = ['CP1251', 'CP866', 'KOI8-R', 'ISO-8859-5', 'MACCYRILLIC']
WIDE = ['UTF-16LE', 'UTF-16BE']
LANGUAGES = {
    'ru': CYRILLIC_PAGES + ['KOI8-U', 'UTF-8'] + WIDE,
    'uk': ['CP1251', 'KOI8-U', 'ISO-8859-5', 'MACCYRILLIC', 'UTF-8', 'UTF-16LE'],
    'be': ['CP1251', 'ISO-8859-5', 'MACCYRILLIC', 'UTF-8'],
    'bg': CYRILLIC_PAGES + ['UTF-8', 'UTF-16LE'],
    'sr': ['CP1251', 'ISO-8859-5', 'MACCYRILLIC', 'UTF-8'],
    'mk': ['CP1251', 'ISO-8859-5', 'MACCYRILLIC', 'UTF-8'],
    'de': ['ISO-8859-1', 'CP1252', 'ISO-8859-15', 'CP850', 'UTF-8', 'UTF-16LE'],
    'fr': ['ISO-8859-1', 'CP1252', 'ISO-8859-15', 'CP850', 'MACINTOSH', 'UTF-8'],
    'es': ['ISO-8859-1', 'CP1252', 'CP850', 'UTF-8'],
    'it': ['ISO-8859-1', 'CP1252', 'UTF-8'],
    'pt': ['ISO-8859-1', 'CP1252', 'UTF-8'],
    'pt_BR': ['ISO-8859-1', 'CP1252', 'UTF-8'],
    'nl': ['ISO-8859-1', 'CP1252', 'UTF-8'],
    'sv': ['ISO-8859-1', 'CP1252', 'UTF-8'],
    'da': ['ISO-8859-1', 'CP1252', 'UTF-8'],
    'nb': ['ISO-8859-1', 'CP1252', 'UTF-8'],
    'fi': ['ISO-8859-1', 'CP1252', 'UTF-8'],
    'ca': ['ISO-8859-1', 'CP1252', 'UTF-8'],
    'gl': ['ISO-8859-1', 'UTF-8'],
    'eu': ['ISO-8859-1', 'UTF-8'],
    'id': ['ISO-8859-1', 'UTF-8'],
    'ga': ['ISO-8859-1', 'UTF-8'],
    'is': ['ISO-8859-1', 'UTF-8'],
    'en_GB': ['CP1252', 'UTF-8'],
    'pl': ['ISO-8859-2', 'CP1250', 'CP852', 'UTF-8'],
    'cs': ['ISO-8859-2', 'CP1250', 'CP852', 'UTF-8'],
    'sk': ['ISO-8859-2', 'CP1250', 'UTF-8'],
    'hu': ['ISO-8859-2', 'CP1250', 'UTF-8'],
    'ro': ['ISO-8859-2', 'ISO-8859-16', 'UTF-8'],
    'hr': ['ISO-8859-2', 'CP1250', 'UTF-8'],
    'sl': ['ISO-8859-2', 'CP1250', 'UTF-8'],
    'tr': ['ISO-8859-9', 'CP1254', 'UTF-8'],
    'lt': ['ISO-8859-13', 'CP1257', 'UTF-8'],
    'lv': ['ISO-8859-13', 'CP1257', 'UTF-8'],
    'et': ['ISO-8859-15', 'CP1257', 'UTF-8'],
    'eo': ['ISO-8859-3', 'UTF-8'],
    'el': ['ISO-8859-7', 'CP1253', 'UTF-8', 'UTF-16LE'],
    'he': ['ISO-8859-8', 'CP1255', 'UTF-8'],
    'ar': ['ISO-8859-6', 'CP1256', 'UTF-8'],
    'fa': ['CP1256', 'UTF-8'],
    'th': ['TIS-620', 'CP874', 'UTF-8'],
    'vi': ['CP1258', 'UTF-8'],
    'ka': ['GEORGIAN-PS', 'UTF-8'],
    'hy': ['ARMSCII-8', 'UTF-8'],
    'ja': ['SHIFT_JIS', 'EUC-JP', 'UTF-8', 'UTF-16LE'],
    'zh_CN': ['GB2312', 'GBK', 'GB18030', 'UTF-8'],
    'zh_TW': ['BIG5', 'UTF-8'],
    'ko': ['EUC-KR', 'CP949', 'UTF-8'],
}
WINDOWS_LINE_ENDS = ('CP', 'UTF-16')
# Mixed files: the first part's code page, then the second's.
MIXED = [('CP1251', 'CP866'), ('CP1251', 'KOI8-R'), ('CP866', 'CP1251'), ('KOI8-R', 'CP1251'),
         ('CP1251', 'ISO-8859-5'), ('MACCYRILLIC', 'CP1251'), ('ISO-8859-5', 'CP866')]
SEPARATOR = '\x1e'  # between texts converted by one iconv run: no encoding here has it inside a character
WHOLE_LIMIT = 64 * 1024


def catalogue_texts(language):
    """Each catalogue's translations as one text, one translation a line, in file name order."""
    texts = []
    for path in sorted(glob.glob(f'/usr/share/locale/{language}/LC_MESSAGES/*.mo')):
        if os.path.basename(path).startswith('iso_'):  # lists of names, not prose
            continue
        try:
            with open(path, 'rb') as f:
                catalogue = gettext.GNUTranslations(f)
        except (OSError, UnicodeDecodeError, ValueError, IndexError):  # a header gettext cannot read
            continue
        lines = []
        for key, text in sorted(catalogue._catalog.items(), key=lambda item: str(item[0])):
            msgid = key[0] if isinstance(key, tuple) else key
            if msgid and text and text != msgid:  # the header and untranslated entries are not the language
                lines.append(text.strip('\n'))
        if lines:
            name = os.path.splitext(os.path.basename(path))[0]
            texts.append(('msg-' + safe_name(name), cut_whole('\n'.join(lines) + '\n')))
    return texts


def cut_whole(text):
    if len(text.encode('utf-8')) <= WHOLE_LIMIT:
        return text
    cut = text.encode('utf-8')[:WHOLE_LIMIT].decode('utf-8', 'ignore')
    return cut[:cut.rfind('\n') + 1] or cut


ROFF_CHARACTERS = {
    'em': '—', 'en': '–', 'Fo': '«', 'Fc': '»', 'lq': '“', 'rq': '”', 'oq': '‘', 'cq': '’', 'aq': "'",
    'dq': '"', 'Bq': '„', 'bq': '‚', 'hy': '-', 'mi': '-', 'co': '©', 'rg': '®', 'de': '°', 'bu': '•',
    'mu': '×', 'tm': '™', 'ti': '~', 'ha': '^', 'rs': '\\', 'ga': '`', 'aa': '´', 'pl': '+', 'eq': '=',
    'ra': '→', 'la': '←', '<=': '≤', '>=': '≥', 'sc': '§', 'ps': '¶', 'ba': '|', 'br': '|', 'ul': '_',
    'fo': '‹', 'fc': '›', 'shc': '',
}


def roff_line(line):
    """The text of one line of a manual page's source, its escapes made the characters they stand for."""
    def named(match):
        name = match.group(1) or match.group(2)
        if name.startswith('u') and len(name) == 5:
            try:
                return chr(int(name[1:], 16))
            except ValueError:
                return ''
        return ROFF_CHARACTERS.get(name, '')

    line = re.sub(r'\\\((..)|\\\[([^\]]*)\]', named, line)
    line = re.sub(r'\\f(\(..|\[[^\]]*\]|.)', '', line)
    line = re.sub(r'\\\*(\(..|\[[^\]]*\]|.)', '', line)
    line = re.sub(r'\\[sv]([+-]?\d+|\(..|\[[^\]]*\]|\'[^\']*\')', '', line)
    line = line.replace('\\-', '-').replace('\\~', '\u00a0').replace('\\ ', '\u00a0').replace('\\e', '\\')
    line = re.sub(r'\\[&|^,/:%cdu0]', '', line)
    return line.replace('\\', '')


def roff_text(source):
    """A manual page's text: its prose lines, and the words of its font and heading requests."""
    out = []
    for line in source.splitlines():
        # A request under a condition (po4a's translations mark their option lines so) as itself.
        line = re.sub(r'^\.(if|ie|el)\s+(\S+\s+)?(?=[.\'])', '', line)
        if line.startswith(('.', "'")):
            request, _, rest = line[1:].strip().partition(' ')
            if request in ('SH', 'SS', 'B', 'I', 'SM', 'SB'):
                words = [w.strip('"') for w in re.findall(r'"[^"]*"|\S+', rest)]
                line = ' '.join(words)
            elif request == 'IP' and rest:  # the tag of an indented paragraph: an option and its value
                line = re.findall(r'"[^"]*"|\S+', rest)[0].strip('"')
            elif request in ('BR', 'RB', 'IR', 'RI', 'BI', 'IB'):
                line = ''.join(w.strip('"') for w in re.findall(r'"[^"]*"|\S+', rest))
            elif request in ('PP', 'LP', 'P', 'sp', 'TP', 'IP'):
                if out and out[-1]:
                    out.append('')
                continue
            else:
                continue
        out.append(roff_line(line).rstrip())
    return '\n'.join(out).strip('\n') + '\n'


def manual_texts(language):
    texts = []
    for path in sorted(glob.glob(f'/usr/share/man/{language}/man*/*')):
        try:
            data = gzip.open(path).read() if path.endswith('.gz') else open(path, 'rb').read()
            source = data.decode('utf-8')
        except (OSError, UnicodeDecodeError, EOFError):
            continue
        if source.startswith('.so ') or source.count('\n') < 5:  # a link to another page
            continue
        name = re.sub(r'\.gz$', '', os.path.basename(path))
        text = cut_whole(roff_text(source))
        if len(text) > 200:
            texts.append(('man-' + safe_name(name), text))
    return texts


SMALL_WORDS = re.compile(r'(?<![\w\u00a0])([вксуоиаВКСУОИАяЯ]) ')
YO = {'еще': 'ещё', 'Еще': 'Ещё', 'ее': 'её', 'Ее': 'Её', 'идет': 'идёт', 'придет': 'придёт',
      'пойдет': 'пойдёт', 'найдет': 'найдёт', 'живет': 'живёт', 'дает': 'даёт', 'берет': 'берёт',
      'мое': 'моё', 'твое': 'твоё', 'свое': 'своё', 'черт': 'чёрт', 'трех': 'трёх', 'четырех': 'четырёх',
      'пьет': 'пьёт', 'поет': 'поёт', 'зовет': 'зовёт', 'елка': 'ёлка', 'еж': 'ёж', 'тяжелый': 'тяжёлый',
      'черный': 'чёрный', 'зеленый': 'зелёный', 'Ежик': 'Ёжик', 'ежик': 'ёжик'}


def typeset(text, rng):
    """Russian typed with ASCII signs as an editor's autocorrection sets it."""
    out = []
    for line in text.split('\n'):
        line = line.replace('...', '…')
        line = re.sub(r'^(\s*)--? ', lambda m: m.group(1) + '— ', line)
        line = re.sub(r' --? ', lambda m: ('\u00a0— ' if rng.random() < 0.5 else ' — '), line)
        line = re.sub(r'"([^"]*)"', r'«\1»', line)
        line = re.sub(r'(\d)-(\d)', r'\1–\2', line)
        line = re.sub(r'\bNo\.? ?(\d)', r'№ \1', line)
        if rng.random() < 0.5:
            line = SMALL_WORDS.sub(lambda m: m.group(1) + '\u00a0', line)
        line = re.sub(r'[А-Яа-яЁё]+', lambda m: YO.get(m.group(0), m.group(0)), line)
        out.append(line)
    return '\n'.join(out)


def fortune_texts(rng):
    texts = []
    folder = '/usr/share/games/fortunes/ru'
    for path in sorted(glob.glob(folder + '/*')):
        if '.' in os.path.basename(path) or os.path.islink(path):
            continue
        try:
            text = open(path, encoding='utf-8').read()
        except (OSError, UnicodeDecodeError):
            continue
        text = re.sub(r'(?m)^%$', '', text)  # the sayings' separators, a line of their own
        texts.append(('fortune-' + safe_name(os.path.basename(path)), cut_whole(typeset(text, rng))))
    return texts


def safe_name(name):
    return re.sub(r'[^A-Za-z0-9._-]', '_', name)


def excerpt(text, rng):
    """Consecutive lines of 100-1500 characters from a random line start."""
    target = rng.randint(100, 1500)
    starts = [0] + [i + 1 for i, c in enumerate(text) if c == '\n' and i + 1 < len(text)]
    start = rng.choice(starts)
    end = start + target
    if end >= len(text):
        return text[start:] if len(text) - start >= 100 else None
    # End at the line end after the target, or, in a long line, at a blank.
    line_end = text.find('\n', end)
    if line_end != -1 and line_end - end < 200:
        return text[start:line_end + 1]
    blank = text.find(' ', end)
    return text[start:blank] if blank != -1 else text[start:]


def short_line(text, rng):
    """One line of 20-90 characters: a line of the text, or its start cut at a blank."""
    lines = [line.strip() for line in text.split('\n') if len(line.strip()) >= 20]
    lines = [line for line in lines if sum(c.isalpha() for c in line) * 2 >= len(line)]
    if not lines:
        return None
    line = rng.choice(lines)
    if len(line) <= 90:
        return line
    limit = rng.randint(20, 90)
    cut = line[:limit]
    blank = cut.rfind(' ')
    return cut[:blank] if blank >= 20 else cut


def encode_all(texts, encoding):
    """The texts in `encoding` through one iconv run, or None for a text that would lose characters."""
    if encoding.startswith('UTF-16'):
        codec = 'utf-16-le' if encoding == 'UTF-16LE' else 'utf-16-be'
        mark = b'\xff\xfe' if encoding == 'UTF-16LE' else b''
        return [mark + t.encode(codec) for t in texts]
    joined = SEPARATOR.join(texts).encode('utf-8')
    run = subprocess.run(['iconv', '-f', 'UTF-8', '-t', encoding + '//TRANSLIT'], input=joined,
                         capture_output=True, check=False)
    if run.returncode != 0 and not run.stdout:
        sys.stderr.write(f'iconv cannot write {encoding}: {run.stderr.decode(errors="replace")}')
        return [None] * len(texts)
    pieces = run.stdout.split(SEPARATOR.encode())
    if len(pieces) != len(texts):
        return [None] * len(texts)
    out = []
    for text, piece in zip(texts, pieces):
        lost = piece.count(b'?') - text.count('?')
        out.append(piece if lost == 0 or (len(text) >= 100 and lost * 100 <= len(text)) else None)
    return out


def line_ends(data, encoding):
    if not encoding.startswith(WINDOWS_LINE_ENDS):
        return data
    if encoding.startswith('UTF-16'):
        lf = '\n'.encode('utf-16-le' if encoding == 'UTF-16LE' else 'utf-16-be')
        crlf = '\r\n'.encode('utf-16-le' if encoding == 'UTF-16LE' else 'utf-16-be')
        units = [data[i:i + 2] for i in range(0, len(data), 2)]
        return b''.join(crlf if u == lf else u for u in units)
    return data.replace(b'\n', b'\r\n')


def write(out, folder, named, encoding):
    names = [name for name, _ in named]
    encoded = encode_all([text for _, text in named], encoding)
    kept = 0
    for name, data in zip(names, encoded):
        if data is None:
            continue
        os.makedirs(os.path.join(out, folder), exist_ok=True)
        with open(os.path.join(out, folder, name + '.txt'), 'wb') as f:
            f.write(line_ends(data, encoding))
        kept += 1
    return kept


def samples(wholes, count, pick, rng):
    """`count` pieces picked from the whole texts in turn, named after their text and number."""
    out = []
    for i in range(count * 3):
        if len(out) >= count or not wholes:
            break
        name, text = wholes[i % len(wholes)]
        piece = pick(text, rng)
        if piece and any(ord(c) > 0x7F for c in piece):  # pure ASCII reads the same in every encoding
            out.append((f'{name}-{i:05d}', piece))
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('out')
    parser.add_argument('--wholes', type=int, default=40, help='whole texts a language and source (ru: all)')
    parser.add_argument('--excerpts', type=int, default=300, help='excerpts a language')
    parser.add_argument('--lines', type=int, default=400, help='short lines a language')
    parser.add_argument('--mixed', type=int, default=40, help='mixed files a pair of code pages')
    parser.add_argument('--seed', type=int, default=31)
    parser.add_argument('--languages', default=','.join(LANGUAGES))
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    for language in args.languages.split(','):
        rng = random.Random(f'{args.seed}-{language}')
        sources = [manual_texts(language), catalogue_texts(language)]
        if language == 'ru':  # every manual page and fortune file: the texts the statistics never saw
            sources = [sources[0], rng.sample(sources[1], min(len(sources[1]), args.wholes)), fortune_texts(rng)]
        else:
            sources = [rng.sample(s, min(len(s), args.wholes)) for s in sources]
        wholes = sorted(t for source in sources for t in source)
        if not wholes:
            sys.stderr.write(f'{language}: no catalogues or manual pages on this machine, left out\n')
            continue
        rng.shuffle(wholes)
        scale = 3 if language == 'ru' else 1
        kinds = {'whole': wholes,
                 'excerpt': samples(wholes, args.excerpts * scale, excerpt, rng),
                 'line': samples(wholes, args.lines * scale, short_line, rng)}
        counts = []
        for encoding in LANGUAGES[language]:
            for kind, named in kinds.items():
                counts.append(f'{encoding}.{kind} {write(args.out, f"{language}.{encoding}.{kind}", named, encoding)}')
        if language in ('ru', 'bg'):
            for first, second in MIXED:
                parts = samples(wholes, 2 * args.mixed, excerpt, rng)
                kept = 0
                for (name, a), (_, b) in zip(parts[0::2], parts[1::2]):
                    ea, eb = encode_all([a], first)[0], encode_all([b], second)[0]
                    if ea is None or eb is None:
                        continue
                    folder = os.path.join(args.out, f'{language}.{first}+{second}.mixed')
                    os.makedirs(folder, exist_ok=True)
                    with open(os.path.join(folder, name + '.txt'), 'wb') as f:
                        f.write(line_ends(ea + b'\n\n' + eb, first))
                    kept += 1
                counts.append(f'{first}+{second}.mixed {kept}')
        sys.stderr.write(f'{language}: {len(wholes)} whole texts; ' + ', '.join(counts) + '\n')


if __name__ == '__main__':
    main()
