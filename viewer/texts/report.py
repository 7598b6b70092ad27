#!/usr/bin/env python3
"""Prints the figures of a year's texts, for a reviewer of the selection.

Usage: report.py [REFS [VERSES]]
Defaults, beside this script: 2007.refs, bkr.tsv.

The figures: texts per testament, part of the Bible and book; the lengths
(Windows-1250 bytes, reference included, as the viewer's table holds them)
and their distribution; the longest texts and the longest day shown in one
box; and every verse used more than once in the year. Exit status 1 when a
verse is used twice or the references are refused, else 0.
"""
import csv
import os
import sys

import build_table
import make_source

TESTAMENTS = (('SZ', 'first texts (Old Testament)'), ('NZ', 'second texts (New Testament)'))
# Parts of the Bible by book number (1 = Genesis ... 66 = Revelation).
PARTS = (('SZ', 'Law', 1, 5), ('SZ', 'History', 6, 17), ('SZ', 'Wisdom and Psalms', 18, 22),
         ('SZ', 'Prophets', 23, 39), ('NZ', 'Gospels', 40, 43), ('NZ', 'Acts', 44, 44),
         ('NZ', 'Letters', 45, 65), ('NZ', 'Revelation', 66, 66))
BUCKETS = ((30, 59), (60, 89), (90, 119), (120, 149), (150, 199), (200, 255), (256, 392))
LONGEST = 12


def book_numbers(verses_path):
    """{abbrev: book number} in the data's order."""
    numbers = {}
    with open(verses_path, encoding='utf-8', newline='') as data:
        for row in csv.DictReader(data, delimiter='\t', quoting=csv.QUOTE_NONE):
            numbers.setdefault(row['abbrev'], int(row['book']))
    return numbers


def year_texts(refs_path, books):
    """[(date, testament, reference, text)] in calendar order; exits on bad refs."""
    make_source.build_source(refs_path, books)  # refuses bad refs with SystemExit
    texts = []
    refs, _ = make_source.read_refs(refs_path)
    for _, (month, day), first, second in refs:
        for testament, reference in zip(('SZ', 'NZ'), (first, second)):
            texts.append((build_table.date_text(month, day), testament, reference,
                          make_source.watchword(books, reference)))
    return texts


def verses_of(reference):
    """[(book, chapter, verse)] a reference names, in printed numbering."""
    match = make_source.REFERENCE.fullmatch(reference)
    book, chapter = match.group(1), int(match.group(2))
    return [(book, chapter, verse) for verse in make_source.verse_numbers(match.group(3))]


def length(text):
    return len(build_table.encode_text(text))


def report(texts, numbers, out):
    """Writes the figures; returns the number of verses used more than once."""
    lengths = {testament: [length(text) for _, t, _, text in texts if t == testament] for testament, _ in TESTAMENTS}
    total = sum(sum(values) for values in lengths.values())
    days = len(texts) // 2
    out.write('Days: %d, texts: %d, text bytes: %d (%.1f a day)\n' % (days, len(texts), total, total / days))
    out.write('Table: %d bytes of text and 744 zero bytes, %d bytes\n\n' % (total, total + 744))

    out.write('%-29s texts  average  shortest  longest  over 255\n' % 'Lengths in bytes')
    for testament, label in TESTAMENTS:
        values = lengths[testament]
        out.write('%-29s %5d  %7.1f  %8d  %7d  %8d\n' % (label, len(values), sum(values) / len(values),
                                                        min(values), max(values), sum(v > 255 for v in values)))
    out.write('\n%-29s' % 'Texts by length in bytes' + ''.join('%8s' % ('%d-%d' % bucket) for bucket in BUCKETS) + '\n')
    for testament, label in TESTAMENTS:
        counts = [sum(low <= v <= high for v in lengths[testament]) for low, high in BUCKETS]
        out.write('%-29s' % label + ''.join('%8d' % count for count in counts) + '\n')

    out.write('\nTexts per part and book\n')
    per_book = {}
    for _, _, reference, _ in texts:
        book = make_source.REFERENCE.fullmatch(reference).group(1)
        per_book[book] = per_book.get(book, 0) + 1
    by_number = sorted(numbers.items(), key=lambda item: item[1])
    for testament, part, first, last in PARTS:
        books = [(abbrev, per_book.get(abbrev, 0)) for abbrev, number in by_number if first <= number <= last]
        out.write('  %s %-18s %4d  %s\n' % (testament, part, sum(count for _, count in books),
                                           ', '.join('%s %d' % book for book in books)))
    unused = [abbrev for abbrev, _ in by_number if abbrev not in per_book]
    out.write('  Books not used: %s\n' % (', '.join(unused) if unused else 'none'))

    out.write('\nLongest texts\n')
    ranked = sorted(texts, key=lambda item: -length(item[3]))
    for date, testament, reference, text in ranked[:LONGEST]:
        out.write('  %4d  %-7s %s  %s\n' % (length(text), date, testament, reference))
    pairs = [(texts[index], texts[index + 1]) for index in range(0, len(texts), 2)]
    first, second = max(pairs, key=lambda pair: length(pair[0][3]) + length(pair[1][3]))
    out.write('  Longest day in one box: %s, %d bytes (%s, %s)\n' %
              (first[0], length(first[3]) + 2 + length(second[3]), first[2], second[2]))

    seen, repeated = {}, []
    for date, _, reference, _ in texts:
        for verse in verses_of(reference):
            if verse in seen:
                repeated.append('%s %d,%d on %s and %s' % (verse + (seen[verse], date)))
            else:
                seen[verse] = date
    out.write('\nVerses: %d, used more than once: %s\n' %
              (len(seen), '; '.join(repeated) if repeated else 'none'))
    return len(repeated)


def main(argv):
    here = make_source.HERE
    refs = argv[1] if len(argv) > 1 else os.path.join(here, '2007.refs')
    verses = argv[2] if len(argv) > 2 else os.path.join(here, 'bkr.tsv')
    try:
        books = make_source.load_verses(verses)
        texts = year_texts(refs, books)
        numbers = book_numbers(verses)
    except (build_table.SourceError, OSError) as error:
        raise SystemExit(str(error))
    return 1 if report(texts, numbers, sys.stdout) else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
