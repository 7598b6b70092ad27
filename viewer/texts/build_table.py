#!/usr/bin/env python3
"""Converts a year's text source to the C++ table the viewer carries.

Usage: build_table.py SOURCE OUTPUT

SOURCE is viewer/texts/<year>.txt (UTF-8); the year comes from its name.
OUTPUT is a C++ file defining WatchwordTable: 12 months x 31 day slots x 2
texts, each text in Windows-1250 ended by one zero byte, nothing else. Dates
the year lacks hold two empty texts.

A malformed source is refused with "<file>:<line>: <problem>" lines on stderr
and exit status 1; OUTPUT is then removed, so no stale table is left behind.
"""
import calendar
import os
import re
import sys
import tempfile

MIN_BYTES, MAX_BYTES = 30, 392
NBSP = '\u00a0'
DATE_LINE = re.compile(r'([1-9][0-9]?)\.([1-9][0-9]?)\.')
# The reference at the end of a text: blank, "(", book abbreviation (letters,
# a number and a point before them for numbered books), a blank or no-break
# space, chapter, ",", verses with "-" for ranges and "." for lists, ")".
REFERENCE = re.compile(r' \(((?:[0-9]\.)?[^\W\d_]+)[ \u00a0]([1-9][0-9]*),'
                       r'([1-9][0-9]*(?:-[1-9][0-9]*)?(?:\.[1-9][0-9]*(?:-[1-9][0-9]*)?)*)\)$')


class SourceError(Exception):
    pass


def year_of(path):
    """The year a source is for, from its file name ("2007.txt")."""
    match = re.fullmatch(r'([0-9]{4})\.[^.]+', os.path.basename(path))
    if not match:
        raise SourceError('%s: cannot take the year from the file name' % os.path.basename(path))
    return int(match.group(1))


def days_of(year):
    """All (month, day) of the year in calendar order."""
    return [(month, day) for month in range(1, 13) for day in range(1, calendar.monthrange(year, month)[1] + 1)]


def date_text(month, day):
    return '%d.%d.' % (day, month)


def text_errors(text):
    """What is wrong with one text as written in the source; empty if nothing."""
    errors = []
    for ch in sorted(set(text), key=text.index):
        code = ord(ch)
        if code < 0x20 or 0x7f <= code < 0xa0:
            errors.append('control character U+%04X' % code)
        elif ch in '"\'':
            errors.append('ASCII quote %s: the texts use the Czech quotes \u201e and \u201c' % ch)
        else:
            try:
                ch.encode('cp1250')
            except UnicodeEncodeError:
                errors.append('%s (U+%04X) is not a Windows-1250 character' % (ch, code))
    reference = REFERENCE.search(text)
    if not reference:
        errors.append('the text does not end with a reference " (Book chapter,verses)"')
    else:
        body = text[:reference.start()]
        if '(' in body or ')' in body:
            errors.append('a parenthesis besides the reference (write [ ] in the text)')
        if NBSP in body:
            errors.append('a no-break space outside the reference')
    if not errors:
        length = len(encode_text(text))
        if not MIN_BYTES <= length <= MAX_BYTES:
            errors.append('%d bytes, outside %d to %d' % (length, MIN_BYTES, MAX_BYTES))
    return errors


def encode_text(text):
    """The Windows-1250 bytes of a valid text, with the no-break space in its reference."""
    reference = REFERENCE.search(text)
    gap = reference.start(2) - 1
    return (text[:gap] + NBSP + text[gap + 1:]).encode('cp1250')


def source_lines(data, name):
    """Numbered lines of a UTF-8 source, without comment lines."""
    if data.startswith(b'\xef\xbb\xbf'):
        data = data[3:]
    lines, errors = [], []
    pieces = data.split(b'\n')
    if pieces[-1] == b'':
        pieces.pop()
    for number, raw in enumerate(pieces, 1):
        try:
            line = raw.decode('utf-8')
        except UnicodeDecodeError:
            errors.append('%s:%d: not UTF-8' % (name, number))
            line = raw.decode('utf-8', 'replace')
        if not line.startswith('#'):
            lines.append((number, line))
    return lines, errors


def read_source(path):
    """Reads and checks a source: ({(month, day): (first, second)}, errors)."""
    name = os.path.basename(path)
    year = year_of(path)
    with open(path, 'rb') as source:
        lines, errors = source_lines(source.read(), name)

    def refuse(number, message):
        errors.append('%s:%d: %s' % (name, number, message))

    # A day is a date line and the lines after it up to a blank line or the
    # next date line.
    blocks = []
    for number, line in lines:
        if not line.strip():
            if blocks and blocks[-1] is not None:
                blocks.append(None)
        elif DATE_LINE.fullmatch(line) or not blocks or blocks[-1] is None:
            blocks.append([(number, line)])
        else:
            blocks[-1].append((number, line))

    days, dated = {}, []
    for block in filter(None, blocks):
        (number, line), texts = block[0], block[1:]
        for text_number, text in texts:
            for problem in text_errors(text):
                refuse(text_number, problem)
        match = DATE_LINE.fullmatch(line)
        if not match:
            refuse(number, 'malformed date line %r: expected day and month as "D.M."' % line)
            continue
        date = (int(match.group(2)), int(match.group(1)))
        dated.append((number, date))
        if len(texts) < 2:
            refuse(number, '%s has %d text line(s) instead of 2' % (date_text(*date), len(texts)))
        for text_number, _ in texts[2:]:
            refuse(text_number, 'a third text line for %s' % date_text(*date))
        if len(texts) >= 2:
            days.setdefault(date, (texts[0][1], texts[1][1]))
    for number, problem in check_dates(dated, year, lines[-1][0] if lines else 1):
        refuse(number, problem)
    errors.sort(key=lambda error: int(error[len(name) + 1:].split(':')[0]))
    return days, errors


def check_dates(dated, year, last_line):
    """Problems, as [(line, message)], with the dates of a year's days given as
    [(line, (month, day))] in file order: every date of the year once, in
    calendar order."""
    calendar_days = days_of(year)
    position = {day: index for index, day in enumerate(calendar_days)}
    problems, seen = [], {}
    expected = 0
    for number, date in dated:
        label = date_text(*date)
        if date not in position:
            problems.append((number, '%s is not a date of %d' % (label, year)))
        elif date in seen:
            problems.append((number, 'duplicate date %s (first on line %d)' % (label, seen[date])))
        else:
            seen[date] = number
            if position[date] < expected:
                problems.append((number, '%s out of order, after %s' % (label, date_text(*calendar_days[expected - 1]))))
            elif position[date] > expected:
                problems.append((number, 'missing %s before %s' % (date_text(*calendar_days[expected]), label)))
                expected = position[date] + 1
            else:
                expected += 1
    if len(seen) != len(calendar_days):
        missing = [date_text(*day) for day in calendar_days if day not in seen]
        listed = ', '.join(missing[:5]) + (' and %d more' % (len(missing) - 5) if len(missing) > 5 else '')
        problems.append((last_line, '%d days instead of %d, missing %s' % (len(seen), len(calendar_days), listed)))
    return problems


def table_source(days, name):
    """The C++ file: one commented line of signed byte values per text."""
    out = ['// Made by build_table.py from %s; do not edit.' % name, '#include <stddef.h>', '',
           'extern const char WatchwordTable[] = {']
    for month in range(1, 13):
        for day in range(1, 32):
            out.append('// %s' % date_text(month, day) + ('' if (month, day) in days else ' (no such date)'))
            for text in days.get((month, day), ('', '')):
                data = (encode_text(text) if text else b'') + b'\0'
                out.append(','.join(str(b - 256 if b > 127 else b) for b in data) + ',')
    out += ['};', 'extern const size_t WatchwordTableSize = sizeof WatchwordTable;', '']
    return '\n'.join(out)


def remove(path):
    try:
        os.remove(path)
    except FileNotFoundError:
        pass


def main(argv):
    if len(argv) != 3:
        print('usage: build_table.py SOURCE OUTPUT', file=sys.stderr)
        return 2
    source, output = argv[1], argv[2]
    try:
        days, errors = read_source(source)
    except (SourceError, OSError) as error:
        days, errors = {}, [str(error)]
    if errors:
        remove(output)
        for error in errors:
            print(error, file=sys.stderr)
        return 1
    # Written beside the output and renamed, so a failure leaves no half table.
    folder = os.path.dirname(os.path.abspath(output))
    handle, temporary = tempfile.mkstemp(dir=folder, prefix='.watchword_table.')
    try:
        with os.fdopen(handle, 'w', encoding='ascii', newline='\n') as out:
            out.write(table_source(days, os.path.basename(source)))
        os.chmod(temporary, 0o644)
        os.replace(temporary, output)
    except BaseException:
        remove(temporary)
        raise
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
