#!/usr/bin/env python3
"""Makes the corpus that `vemkoconv detect` is judged on beside Russian: texts that are not Russian and
must never be named a Cyrillic code page, and Cyrillic texts of other languages that must be.

Everything comes from what Debian installs: the translations (msgstr) of the message catalogues under
/usr/share/locale/LANG/LC_MESSAGES, converted by iconv into the legacy encodings of their languages
(characters an encoding lacks transliterated), in UTF-16 and UTF-32 with and without a byte order
mark, and programs, images and compressed files. Each text is written whole (a catalogue's
translations, one a line) and as excerpts of 60-200 letters. Usage:

    scripts/make-detection-corpus.py OUT [excerpts per folder]

OUT gets one folder a kind of text, named by what detect should say of it:
  other.LANG.ENCODING          any answer but a Cyrillic code page is right
  cyrillic.LANG.ENCODING       the code page is the right answer
  binary.KIND                  any answer but a Cyrillic code page is right
The catalogues of the languages below come with the packages of a Debian desktop; a bare system has
fewer, and the script takes what it finds (a language with none is left out and said so on stderr).
"""
import gettext
import glob
import os
import random
import subprocess
import sys

LEGACY = [
    ('de', ['ISO-8859-1', 'CP1252', 'ISO-8859-15']),
    ('fr', ['ISO-8859-1', 'CP1252', 'ISO-8859-15']),
    ('es', ['ISO-8859-1', 'CP1252']),
    ('it', ['ISO-8859-1']),
    ('pt', ['ISO-8859-1']),
    ('sv', ['CP1252']),
    ('pl', ['ISO-8859-2', 'CP1250']),
    ('cs', ['ISO-8859-2', 'CP1250']),
    ('sk', ['CP1250']),
    ('hu', ['ISO-8859-2', 'CP1250']),
    ('ro', ['ISO-8859-2']),
    ('tr', ['ISO-8859-9', 'CP1254']),
    ('lt', ['ISO-8859-13', 'CP1257']),
    ('lv', ['ISO-8859-13', 'CP1257']),
    ('et', ['ISO-8859-15', 'CP1257']),
    ('el', ['ISO-8859-7', 'CP1253']),
    ('he', ['ISO-8859-8', 'CP1255']),
    ('ar', ['ISO-8859-6', 'CP1256']),
    ('th', ['TIS-620']),
    ('vi', ['CP1258']),
    ('ja', ['SHIFT_JIS', 'EUC-JP']),
    ('zh_CN', ['GB2312']),
    ('zh_TW', ['BIG5']),
    ('ko', ['EUC-KR']),
]
WIDE = ['ru', 'de', 'el', 'ja', 'zh_CN', 'uk']
CYRILLIC = [
    ('uk', ['CP1251', 'ISO-8859-5', 'MACCYRILLIC']),
    ('be', ['CP1251', 'ISO-8859-5', 'MACCYRILLIC']),
    ('bg', ['CP1251', 'CP866', 'KOI8-R', 'ISO-8859-5', 'MACCYRILLIC']),
    ('sr', ['CP1251', 'ISO-8859-5', 'MACCYRILLIC']),
    ('mk', ['CP1251', 'ISO-8859-5', 'MACCYRILLIC']),
]
BOMS = {'UTF-16LE': b'\xff\xfe', 'UTF-16BE': b'\xfe\xff', 'UTF-32LE': b'\xff\xfe\x00\x00', 'UTF-32BE': b'\x00\x00\xfe\xff'}


def translations(path):
    with open(path, 'rb') as f:
        catalogue = gettext.GNUTranslations(f)
    for key, text in catalogue._catalog.items():
        msgid = key[0] if isinstance(key, tuple) else key
        if msgid and text and text != msgid:  # the header, and untranslated entries, are not the language
            yield text


def texts_of(language):
    """A catalogue's translations as one text each, in file name order."""
    texts = []
    for path in sorted(glob.glob(f'/usr/share/locale/{language}/LC_MESSAGES/*.mo')):
        if os.path.basename(path).startswith('iso_'):  # lists of names, not prose
            continue
        try:
            text = '\n'.join(translations(path))
        except (OSError, UnicodeDecodeError, IndexError, ValueError):  # a few headers gettext cannot parse
            continue
        if sum(c.isalpha() and ord(c) > 0x7F for c in text) >= 200:
            texts.append(text[:WHOLE])
    return texts


def excerpts(texts, count, rng):
    """Excerpts of 60-200 letters, each starting and ending at a blank."""
    out = []
    joined = '\n'.join(texts)
    tries = 0
    while len(out) < count and tries < 50 * count:
        tries += 1
        target = rng.randrange(60, 201)
        start = rng.randrange(len(joined))
        while start < len(joined) and not joined[start].isspace():
            start += 1
        letters, end = 0, start
        while end < len(joined) and letters < target:
            letters += joined[end].isalpha()
            end += 1
        while end < len(joined) and not joined[end].isspace():
            end += 1
        piece = joined[start:end].strip()
        # Only excerpts with letters beyond ASCII say anything: an ASCII one is ascii in any encoding.
        if letters == target and any(c.isalpha() and ord(c) > 0x7F for c in piece):
            out.append(piece)
    return out


WHOLE = 1 << 16  # characters of a whole text kept: detection reads no more than 64 KB
SEPARATOR = '\x1e'  # ASCII, the same byte in every legacy encoding here, and no trail byte of the Asian ones


def iconv(texts, encoding):
    """The texts converted by one run of iconv (characters the encoding lacks transliterated)."""
    joined = SEPARATOR.join(t.replace(SEPARATOR, ' ') for t in texts)
    out = subprocess.run(['iconv', '-c', '-f', 'UTF-8', '-t', encoding + '//TRANSLIT'], input=joined.encode(),
                         capture_output=True).stdout
    return out.split(SEPARATOR.encode())


def write_folder(out, name, texts, pieces, convert):
    folder = os.path.join(out, name)
    os.makedirs(folder, exist_ok=True)
    for kind, items in (('whole', texts), ('excerpt', pieces)):
        for i, data in enumerate(convert(items)):
            with open(os.path.join(folder, f'{kind}-{i:04}'), 'wb') as f:
                f.write(data)


def binaries(rng, count):
    """Programs, images and compressed files that Debian installs."""
    kinds = {
        'program': sorted(p for p in glob.glob('/usr/bin/*') if os.path.isfile(p) and not os.path.islink(p)),
        'image': sorted(glob.glob('/usr/share/icons/**/*.png', recursive=True) +
                        glob.glob('/usr/share/**/*.jpg', recursive=True) + glob.glob('/usr/share/**/*.gif', recursive=True)),
        'compressed': sorted(glob.glob('/usr/share/doc/*/*.gz')),
        'catalogue': sorted(glob.glob('/usr/share/locale/de/LC_MESSAGES/*.mo')),
    }
    for kind, paths in kinds.items():
        paths = [p for p in paths if os.path.getsize(p) > 0]
        chosen = rng.sample(paths, min(count, len(paths)))
        yield kind, chosen


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    rng = random.Random(2026)
    cache = {}

    def texts(language):
        if language not in cache:
            cache[language] = texts_of(language)
            if not cache[language]:
                print(f'no catalogues of {language}: left out', file=sys.stderr)
        return cache[language]

    for group, languages in (('other', LEGACY), ('cyrillic', CYRILLIC)):
        for language, encodings in languages:
            whole = texts(language)
            if not whole:
                continue
            pieces = excerpts(whole, count, rng)
            for encoding in encodings:
                write_folder(out, f'{group}.{language}.{encoding}', whole, pieces, lambda t, e=encoding: iconv(t, e))
    for language in WIDE:
        whole = texts(language)
        if not whole:
            continue
        pieces = excerpts(whole, count // 4, rng)
        # One text at a time: the separator would not stay one byte.
        for encoding, bom in BOMS.items():
            write_folder(out, f'other.{language}.{encoding}', whole, pieces,
                         lambda ts, e=encoding: [iconv([t], e)[0] for t in ts])
            write_folder(out, f'other.{language}.{encoding}-BOM', whole, pieces,
                         lambda ts, e=encoding, b=bom: [b + iconv([t], e)[0] for t in ts])
    for kind, paths in binaries(rng, count):
        folder = os.path.join(out, f'binary.{kind}')
        os.makedirs(folder, exist_ok=True)
        for i, path in enumerate(paths):
            with open(path, 'rb') as f:
                data = f.read()
            with open(os.path.join(folder, f'whole-{i:04}'), 'wb') as f:
                f.write(data[:1 << 16])
            start = rng.randrange(max(1, len(data) - 200))
            with open(os.path.join(folder, f'excerpt-{i:04}'), 'wb') as f:
                f.write(data[start:start + rng.randrange(60, 201)])


if __name__ == '__main__':
    main()
