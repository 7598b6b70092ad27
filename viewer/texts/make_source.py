#!/usr/bin/env python3
"""Builds the year's text source from its chosen references and the verses.

Usage: make_source.py [--check] [REFS [VERSES [SOURCE]]]
Defaults, beside this script: 2007.refs, bkr.tsv, 2007.txt.

REFS holds one day a line: date, Old Testament reference, New Testament
reference, separated by tabs ("1.1.<TAB>Ž 23,1<TAB>J 10,11"). References
use the verse numbers of Czech printed editions, the numbers the reader
sees; bkr.tsv's "printed" column maps them to its own numbering.

Each text is the named verses as the translation has them, joined with one
blank, then a blank and the reference in parentheses. Round parentheses in
a verse become square brackets, so the reference stays the only one.

Without --check SOURCE is written, only when every reference is good.
With --check SOURCE is compared with what REFS and VERSES give.
"""
import csv
import os
import re
import sys

import build_table

HERE = os.path.dirname(os.path.abspath(__file__))
# "Ž 119,105", "1.Kor 13,4-7", "Mt 5,3.5.7-9"; a no-break space is accepted too.
REFERENCE = re.compile(r'((?:[0-9]\.)?[^\W\d_]+)[ \u00a0]([1-9][0-9]*),'
                       r'([1-9][0-9]*(?:-[1-9][0-9]*)?(?:\.[1-9][0-9]*(?:-[1-9][0-9]*)?)*)')
# A verse number inside a verse: "(3:2)" or "(41)". Printed editions start
# that verse there (the Psalms' titles), so the row is split at it.
VERSE_MARK = re.compile(r'\s*\(([0-9]+)(?::([0-9]+))?\)\s*')
TESTAMENTS = ('SZ', 'NZ')
ORDINALS = ('first', 'second')


class Book:
    def __init__(self, abbrev, testament):
        self.abbrev = abbrev
        self.testament = testament
        # (chapter, verse) in printed numbering -> the verse's parts, in order.
        self.parts = {}
        # Printed verses that are exactly one whole row of the data.
        self.whole_rows = set()

    def add(self, chapter, verse, text, whole_row):
        key = (chapter, verse)
        if key in self.parts:
            whole_row = False
            self.whole_rows.discard(key)
        self.parts.setdefault(key, []).append(text)
        if whole_row:
            self.whole_rows.add(key)

    def text(self, chapter, verse):
        """The printed verse's text, or None when the data has no such verse."""
        parts = self.parts.get((chapter, verse))
        return ' '.join(parts) if parts else None


def load_verses(path):
    """{abbrev: Book} in printed numbering, in the data's book order."""
    books = {}
    with open(path, encoding='utf-8', newline='') as data:
        for row in csv.DictReader(data, delimiter='\t', quoting=csv.QUOTE_NONE):
            book = books.setdefault(row['abbrev'], Book(row['abbrev'], row['testament']))
            chapter, verse = int(row['chapter']), int(row['verse'])
            if row['printed']:
                chapter, verse = (int(number) for number in row['printed'].split(':'))
            pieces = VERSE_MARK.split(row['text'].strip())
            book.add(chapter, verse, pieces[0], len(pieces) == 1)
            for index in range(1, len(pieces), 3):
                if pieces[index + 1]:
                    chapter, verse = int(pieces[index]), int(pieces[index + 1])
                else:
                    verse = int(pieces[index])
                book.add(chapter, verse, pieces[index + 2], False)
    return books


def verse_numbers(verses):
    """[4, 5, 6, 7, 9] for "4-7.9"; raises ValueError unless ascending."""
    numbers = []
    for item in verses.split('.'):
        first, _, last = item.partition('-')
        first, last = int(first), int(last or first)
        if (numbers and first <= numbers[-1]) or last < first:
            raise ValueError('verses %s are not in ascending order' % verses)
        numbers += range(first, last + 1)
    return numbers


def watchword(books, reference):
    """The text for a reference as written in the refs ("Ž 23,1-2")."""
    match = REFERENCE.fullmatch(reference)
    if not match:
        raise ValueError('malformed reference %r: expected "Book chapter,verses"' % reference)
    abbrev, chapter = match.group(1), int(match.group(2))
    book = books.get(abbrev)
    if not book:
        raise ValueError('unknown book %s' % abbrev)
    texts = []
    for verse in verse_numbers(match.group(3)):
        text = book.text(chapter, verse)
        if not text:
            raise ValueError('%s %d,%d is not a verse with text in the data' % (abbrev, chapter, verse))
        texts.append(text)
    body = ' '.join(texts).replace('(', '[').replace(')', ']')
    return '%s (%s %d,%s)' % (body, abbrev, chapter, match.group(3))


def read_refs(path):
    """[(line, (month, day), first reference, second reference)] and errors."""
    name = os.path.basename(path)
    year = build_table.year_of(path)
    days, errors = [], []
    with open(path, encoding='utf-8-sig') as refs:
        for number, line in enumerate(refs, 1):
            line = line.rstrip('\n')
            if not line.strip() or line.startswith('#'):
                continue
            fields = line.split('\t')
            date = build_table.DATE_LINE.fullmatch(fields[0])
            if len(fields) != 3 or not date:
                errors.append('%s:%d: expected date, first and second reference, tab-separated' % (name, number))
                continue
            days.append((number, (int(date.group(2)), int(date.group(1))), fields[1], fields[2]))
    last_line = days[-1][0] if days else 1
    for number, problem in build_table.check_dates([(number, date) for number, date, _, _ in days], year, last_line):
        errors.append('%s:%d: %s' % (name, number, problem))
    return days, errors


def build_source(refs_path, books, verses_name='bkr.tsv'):
    """The source text for the refs, or raises SystemExit with the errors."""
    days, errors = read_refs(refs_path)
    name = os.path.basename(refs_path)
    year = build_table.year_of(refs_path)
    out = ['# Ranoslov %d: the texts of each day, the first from the Old Testament,' % year,
           '# the second from the New, from the Bible of Kralice. Made by make_source.py',
           '# from %s and %s: change the references there and run it again.' % (name, verses_name)]
    for number, (month, day), *references in days:
        out += ['', build_table.date_text(month, day)]
        for ordinal, testament, reference in zip(ORDINALS, TESTAMENTS, references):
            try:
                text = watchword(books, reference)
            except ValueError as error:
                errors.append('%s:%d: %s reference: %s' % (name, number, ordinal, error))
                continue
            if books[REFERENCE.fullmatch(reference).group(1)].testament != testament:
                errors.append('%s:%d: %s reference %s is not from the %s' %
                              (name, number, ordinal, reference, 'Old Testament' if testament == 'SZ' else 'New Testament'))
            for problem in build_table.text_errors(text):
                errors.append('%s:%d: %s text: %s' % (name, number, ordinal, problem))
            out.append(text)
    if errors:
        raise SystemExit('\n'.join(errors))
    return '\n'.join(out) + '\n'


def main(argv):
    check = '--check' in argv
    paths = [arg for arg in argv[1:] if arg != '--check']
    defaults = [os.path.join(HERE, name) for name in ('2007.refs', 'bkr.tsv', '2007.txt')]
    refs, verses, source = paths + defaults[len(paths):]
    try:
        text = build_source(refs, load_verses(verses), os.path.basename(verses))
    except (build_table.SourceError, OSError) as error:
        raise SystemExit(str(error))
    if not check:
        with open(source, 'w', encoding='utf-8', newline='\n') as out:
            out.write(text)
        return 0
    with open(source, encoding='utf-8') as existing:
        old = existing.read().split('\n')
    for number, (want, have) in enumerate(zip(text.split('\n'), old), 1):
        if want != have:
            print('%s:%d: is %r\n  but %s gives %r' % (os.path.basename(source), number, have, os.path.basename(refs),
                                                      want), file=sys.stderr)
            return 1
    if len(old) != len(text.split('\n')):
        print('%s: differs in length from what %s gives' % (os.path.basename(source), os.path.basename(refs)),
              file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
