#!/usr/bin/env python3
"""Damages clean texts as the world does, for the repair benchmark, and scores the repair's output.
The damage is done here by Python's codecs, not by the product's charts, so that a fault in either
shows. Usage:

    bench/mojibake_damage.py damage CLEAN OUT [--per-chain N] [--seed S]
    bench/mojibake_damage.py score OUT

CLEAN is a corpus of bench/corpus/make-corpus.py (folders LANG.ENCODING.LENGTH). `damage` writes OUT/
cases/ID (a damaged text), OUT/expected/ID (the original, UTF-8), OUT/clean/ID (an undamaged text in
its own encoding, copied from CLEAN) and OUT/manifest.tsv (ID, what was done, length kind, language).
What was done is one of:
  chains    text of any language in UTF-8 read as each common code page and saved as UTF-8; two and
            three such layers; UTF-16 read as a code page; the mojibake written as HTML character
            references; readers that turned unassigned bytes into U+FFFD or '?'
  russian   Russian text in a Cyrillic code page read as another (or as 1252) and saved as UTF-8 or
            a code page
  piece     a right text with one paragraph (or one line) damaged by UTF-8 read as 1251 or 1252
`score` reads what the repair left in OUT/cases (repaired in place, as UTF-8) and OUT/clean (repaired
in place, in their own encoding) and prints the share restored by what was done and by length, and
the clean texts changed. A damaged text counts as restored when it is the original, or the original
with the characters the damage lost left as '?' or U+FFFD.
"""
import argparse
import collections
import html.entities
import os
import random
import sys

# The product's names of the code pages and Python's codecs for them.
PAGES = {
    '1251': 'cp1251', '866': 'cp866', 'koi8r': 'koi8_r', 'koi8u': 'koi8_u', 'iso': 'iso8859_5',
    'mac': 'mac_cyrillic', '1250': 'cp1250', '1252': 'cp1252', 'latin1': 'latin_1', '1253': 'cp1253',
    '1254': 'cp1254', '1255': 'cp1255', '1256': 'cp1256', '1257': 'cp1257', '1258': 'cp1258',
    '437': 'cp437', '850': 'cp850', '852': 'cp852', 'macroman': 'mac_roman', 'iso8859-2': 'iso8859_2',
    'iso8859-7': 'iso8859_7', '874': 'cp874',
}
CYRILLIC = ['1251', 'koi8r', '866', 'iso', 'mac']


def read_as(data, page, lost='\ufffd'):
    """Bytes read in a code page as the system and browsers read them: a byte 0x80-0x9F that a Windows
    chart leaves unassigned is the C1 control, any other unassigned byte `lost`."""
    out = []
    codec = PAGES[page]
    for b in data:
        try:
            out.append(bytes([b]).decode(codec))
        except UnicodeDecodeError:
            out.append(chr(b) if 0x80 <= b < 0xA0 and codec.startswith('cp') else lost)
    return ''.join(out)


def save_as(text, page):
    if page == 'utf-8':
        return text.encode('utf-8')
    return text.encode(PAGES[page], errors='replace')


def misread(text, steps, written='utf-8', lost='\ufffd'):
    """`text` written in `written`, then each (read as, saved as) in turn."""
    data = text.encode('utf-16-le') if written == 'utf-16le' else save_as(text, written)
    if written == 'utf-16le':
        data = b'\xff\xfe' + data
    for read, saved in steps:
        data = save_as(read_as(data, read, lost), saved)
    return data


def references(text):
    """Every character beyond ASCII as an HTML reference, named where HTML names it."""
    names = html.entities.codepoint2name
    return ''.join(c if ord(c) < 0x80 else f'&{names[ord(c)]};' if ord(c) in names else f'&#{ord(c)};' for c in text)


def any_language_chains():
    chains = [(f'utf-8 read as {p}', [(p, 'utf-8')], 'utf-8') for p in PAGES if p != 'latin1']
    chains += [
        ('utf-8 read as 1251 twice', [('1251', 'utf-8')] * 2, 'utf-8'),
        ('utf-8 read as 1252 twice', [('1252', 'utf-8')] * 2, 'utf-8'),
        ('utf-8 read as 1251, then 1252', [('1251', 'utf-8'), ('1252', 'utf-8')], 'utf-8'),
        ('utf-8 read as 1252 three times', [('1252', 'utf-8')] * 3, 'utf-8'),
        ('utf-16 read as latin1', [('latin1', 'utf-8')], 'utf-16le'),
        ('utf-16 read as 1251', [('1251', 'utf-8')], 'utf-16le'),
    ]
    return chains


def russian_chains():
    chains = []
    for written in CYRILLIC:
        for read in CYRILLIC + ['1252']:
            if read != written:
                chains.append((f'{written} read as {read}', [(read, 'utf-8')], written))
    chains += [
        ('1251 read as koi8r, saved as 1251', [('koi8r', '1251')], '1251'),
        ('koi8r read as 1251, saved as koi8r', [('1251', 'koi8r')], 'koi8r'),
        ('koi8r read as 1251, then utf-8 read as 1251', [('1251', 'utf-8'), ('1251', 'utf-8')], 'koi8r'),
    ]
    return chains


def texts(clean, language, lengths):
    for length in lengths:
        folder = os.path.join(clean, f'{language}.UTF-8.{length}')
        if not os.path.isdir(folder):
            continue
        for name in sorted(os.listdir(folder)):
            with open(os.path.join(folder, name), 'rb') as f:
                yield length, name, f.read().decode('utf-8')


def damage(args):
    rng = random.Random(args.seed)
    os.makedirs(os.path.join(args.out, 'cases'), exist_ok=True)
    os.makedirs(os.path.join(args.out, 'expected'), exist_ok=True)
    os.makedirs(os.path.join(args.out, 'clean'), exist_ok=True)
    manifest = open(os.path.join(args.out, 'manifest.tsv'), 'w')
    count = 0

    def case(kind, what, length, language, data, original):
        nonlocal count
        count += 1
        name = f'{count:06d}'
        with open(os.path.join(args.out, 'cases', name), 'wb') as f:
            f.write(data)
        with open(os.path.join(args.out, 'expected', name), 'wb') as f:
            f.write(original.encode('utf-8'))
        manifest.write(f'{name}\t{kind}\t{what}\t{length}\t{language}\n')

    languages = sorted({d.split('.')[0] for d in os.listdir(args.clean) if '.UTF-8.' in d})
    for language in languages:
        pool = [t for t in texts(args.clean, language, ['whole', 'excerpt', 'line'])
                if any(ord(c) >= 0x80 for c in t[2])]
        by_length = collections.defaultdict(list)
        for t in pool:
            by_length[t[0]].append(t)
        for what, steps, written in any_language_chains():
            for length, items in by_length.items():
                for _, _, text in rng.sample(items, min(args.per_chain, len(items))):
                    case('chains', what, length, language, misread(text, steps, written), text)
        for length, items in by_length.items():
            for _, _, text in rng.sample(items, min(args.per_chain, len(items))):
                damaged = misread(text, [('1252', 'utf-8')]).decode('utf-8')
                case('chains', 'html references of utf-8 read as 1252', length, language,
                     references(damaged).encode('ascii'), text)
                case('chains', "utf-8 read as 1251, lost bytes as '?'", length, language,
                     misread(text, [('1251', 'utf-8')], lost='?'), text)
        if language == 'ru':
            for what, steps, written in russian_chains():
                for length, items in by_length.items():
                    for _, _, text in rng.sample(items, min(args.per_chain, len(items))):
                        try:
                            text.encode(PAGES[written])
                        except UnicodeEncodeError:
                            continue
                        case('russian', what, length, language, misread(text, steps, written), text)
        # One paragraph or one line damaged inside a right text.
        for length in ('whole', 'excerpt'):
            for _, _, text in rng.sample(by_length[length], min(args.per_chain, len(by_length[length]))):
                parts = text.split('\n\n') if '\n\n' in text else text.split('\n')
                joint = '\n\n' if '\n\n' in text else '\n'
                chosen = [i for i, p in enumerate(parts) if sum(ord(c) >= 0x80 for c in p) >= 5]
                if len(parts) < 3 or not chosen:
                    continue
                i = rng.choice(chosen)
                page = rng.choice(['1251', '1252'])
                parts_bytes = [p.encode('utf-8') for p in parts]
                parts_bytes[i] = misread(parts[i], [(page, 'utf-8')])
                case('piece', f'one {"paragraph" if joint == chr(10) * 2 else "line"} utf-8 read as {page}', length,
                     language, joint.encode().join(parts_bytes), text)
    # Every clean text, in every encoding, is a case that must come back unchanged.
    for folder in sorted(os.listdir(args.clean)):
        files = sorted(os.listdir(os.path.join(args.clean, folder)))
        for name in rng.sample(files, min(len(files), args.per_chain * 4)):
            with open(os.path.join(args.clean, folder, name), 'rb') as f:
                data = f.read()
            with open(os.path.join(args.out, 'clean', f'{folder}.{name}'), 'wb') as f:
                f.write(data)
    manifest.close()
    print(f'{count} damaged texts, {len(os.listdir(os.path.join(args.out, "clean")))} clean ones', file=sys.stderr)


def restored(output, original):
    if output == original:
        return True
    try:
        out = output.decode('utf-8')
    except UnicodeDecodeError:
        return False
    text = original.decode('utf-8')
    if len(out) != len(text):
        return False
    differ = [(a, b) for a, b in zip(out, text) if a != b]
    return all(a in '?\ufffd' for a, _ in differ) and len(differ) * 10 <= len(text)


def score(args):
    tally = collections.defaultdict(lambda: [0, 0])
    for line in open(os.path.join(args.out, 'manifest.tsv')):
        name, kind, what, length, language = line.rstrip('\n').split('\t')
        with open(os.path.join(args.out, 'cases', name), 'rb') as f:
            output = f.read()
        with open(os.path.join(args.out, 'expected', name), 'rb') as f:
            original = f.read()
        ok = restored(output, original)
        for key in ((kind, what, length), (kind, '*', length), (kind, '*', '*')):
            tally[key][0] += ok
            tally[key][1] += 1
    for key in sorted(tally):
        ok, all_ = tally[key]
        print(f'{key[0]:8} {key[1]:48} {key[2]:8} {ok:5d} of {all_:5d}  {100.0 * ok / all_:6.2f} %')
    changed = [n for n in os.listdir(os.path.join(args.out, 'clean'))
               if open(os.path.join(args.out, 'clean', n), 'rb').read() !=
               open(os.path.join(args.out, 'clean-original', n), 'rb').read()]
    print(f'clean texts changed: {len(changed)} of {len(os.listdir(os.path.join(args.out, "clean")))}')
    for n in sorted(changed)[:40]:
        print(f'  {n}')


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    sub = parser.add_subparsers(dest='command', required=True)
    d = sub.add_parser('damage')
    d.add_argument('clean')
    d.add_argument('out')
    d.add_argument('--per-chain', type=int, default=3)
    d.add_argument('--seed', type=int, default=31)
    s = sub.add_parser('score')
    s.add_argument('out')
    args = parser.parse_args()
    damage(args) if args.command == 'damage' else score(args)


main()
