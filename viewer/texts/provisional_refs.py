#!/usr/bin/env python3
"""Writes a PROVISIONAL 2007.refs: a mechanical pick, not a real selection.

Usage: provisional_refs.py [REFS [VERSES]]   (then run make_source.py)

Each day gets one Old Testament verse, then one New Testament verse, taken
at even steps through each testament so the year runs through the whole
Bible. Only single verses that are one plain row of the data (no
parentheses, no verse numbers inside) are taken, each at most once, and only
where the finished text's length lies in a band around the average length
the year's texts should have.
"""
import os
import sys

import build_table
import make_source

# Lengths in bytes of the finished texts (reference included) that may be
# picked, per testament, set so the averages come out near 94 and 121 bytes.
BANDS = {'SZ': (62, 122), 'NZ': (93, 160)}

HEADER = """\
# Ranoslov {year}: the references of each day's two texts, one day a line:
# date, Old Testament reference, New Testament reference, tab-separated.
# Verse numbers as Czech printed editions have them; make_source.py builds
# {year}.txt from this file.
#
# PROVISIONAL: picked mechanically by provisional_refs.py; to be replaced by
# a real selection.
"""


def candidates(books, testament):
    """Plain single verses of one testament in Bible order, as (reference, length)."""
    found = []
    for book in books.values():
        if book.testament != testament:
            continue
        for chapter, verse in sorted(book.whole_rows):
            text = book.text(chapter, verse)
            if not text or '(' in text or ')' in text:
                continue
            reference = '%s %d,%d' % (book.abbrev, chapter, verse)
            found.append((reference, len(make_source.watchword(books, reference).encode('cp1250'))))
    return found


def pick(found, count, band):
    """One verse per step of len(found) / count, the first in the band from the step on."""
    low, high = band
    picked = []
    for step in range(count):
        start = step * len(found) // count
        for reference, length in found[start:] + found[:start]:
            if low <= length <= high and reference not in picked:
                picked.append(reference)
                break
    return picked


def main(argv):
    here = make_source.HERE
    refs = argv[1] if len(argv) > 1 else os.path.join(here, '2007.refs')
    verses = argv[2] if len(argv) > 2 else os.path.join(here, 'bkr.tsv')
    year = build_table.year_of(refs)
    books = make_source.load_verses(verses)
    days = build_table.days_of(year)
    first = pick(candidates(books, 'SZ'), len(days), BANDS['SZ'])
    second = pick(candidates(books, 'NZ'), len(days), BANDS['NZ'])
    with open(refs, 'w', encoding='utf-8', newline='\n') as out:
        out.write(HEADER.format(year=year))
        for (month, day), old, new in zip(days, first, second):
            out.write('%s\t%s\t%s\n' % (build_table.date_text(month, day), old, new))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
