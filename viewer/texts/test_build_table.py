#!/usr/bin/env python3
"""The converter: the table it writes from a valid source, and how it
refuses each kind of malformed source, naming file and line."""
import calendar
import os
import re
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
CONVERTER = os.path.join(HERE, 'build_table.py')


def table_texts(cpp):
    """The texts of a written table file, as bytes, in block order."""
    body = cpp[cpp.index('{') + 1:cpp.index('};')]
    values = [int(value) for value in re.sub(r'//[^\n]*', '', body).split(',') if value.strip()]
    block = bytes(value & 0xff for value in values)
    assert block.endswith(b'\0')
    return block[:-1].split(b'\0')


def slot(month, day):
    return (month - 1) * 31 + (day - 1)


def valid_source(year):
    """Lines of a valid source for the year, with the forms a text may take."""
    lines = ['# A test source', '']
    for month in range(1, 13):
        for day in range(1, calendar.monthrange(year, month)[1] + 1):
            lines += ['%d.%d.' % (day, month),
                      'První text dne %d.%d. podle Žalmů. (Ž %d,%d)' % (day, month, month, day),
                      'Druhý text dne %d.%d. podle Matouše. (Mt %d,%d-%d.%d)' % (day, month, month, day, day + 2, day + 5),
                      '']
    at = lines.index('2.1.')
    lines[at + 1] = ' Začíná mezerou, „cituje“ [a vkládá]: Amen.  (1.Kor\u00a013,4-7)'
    lines[at + 2] = '# a comment between the texts'
    lines.insert(at + 3, 'Dlouhý text s odkazem, jenž má pevnou mezeru. (2.Petr\u00a01,19)')
    return lines


def at(lines, date):
    return lines.index(date)


def replace(lines, date, offset, text):
    lines[at(lines, date) + offset] = text


def remove_day(lines, date):
    index = at(lines, date)
    del lines[index:index + 4]


class Conversion:
    """Runs the converter on source lines written to <year>.txt."""

    def convert(self, lines, year=2007, raw=None, name=None):
        folder = tempfile.mkdtemp()
        self.source = os.path.join(folder, name or '%d.txt' % year)
        self.output = os.path.join(folder, 'table.cpp')
        with open(self.source, 'wb') as source:
            source.write(raw if raw is not None else '\n'.join(lines).encode('utf-8') + b'\n')
        run = subprocess.run([sys.executable, CONVERTER, self.source, self.output], capture_output=True, text=True)
        self.stderr = run.stderr
        return run.returncode


class ValidSource(unittest.TestCase, Conversion):

    def test_table_layout_and_text_bytes(self):
        lines = valid_source(2007)
        self.assertEqual(self.convert(lines), 0, self.stderr)
        with open(self.output, encoding='ascii') as cpp:
            written = cpp.read()
        self.assertIn('extern const char WatchwordTable[] = {', written)
        self.assertIn('extern const size_t WatchwordTableSize = sizeof WatchwordTable;', written)
        texts = table_texts(written)
        self.assertEqual(len(texts), 744)
        missing = [(2, 29), (2, 30), (2, 31), (4, 31), (6, 31), (9, 31), (11, 31)]
        empty = sorted(2 * slot(*date) + half for date in missing for half in (0, 1))
        self.assertEqual([index for index, text in enumerate(texts) if not text], empty)
        cases = [
            # (text number, expected bytes): the slot order, the blank of the
            # reference turned into 0xA0, leading and double blanks kept.
            (0, 'První text dne 1.1. podle Žalmů. (Ž\xa01,1)'),
            (1, 'Druhý text dne 1.1. podle Matouše. (Mt\xa01,1-3.6)'),
            (2, ' Začíná mezerou, „cituje“ [a vkládá]: Amen.  (1.Kor\xa013,4-7)'),
            (3, 'Dlouhý text s odkazem, jenž má pevnou mezeru. (2.Petr\xa01,19)'),
            (2 * slot(2, 28) + 1, 'Druhý text dne 28.2. podle Matouše. (Mt\xa02,28-30.33)'),
            (124, 'První text dne 1.3. podle Žalmů. (Ž\xa03,1)'),
            (743, 'Druhý text dne 31.12. podle Matouše. (Mt\xa012,31-33.36)'),
        ]
        for number, text in cases:
            with self.subTest(number=number):
                self.assertEqual(texts[number], text.encode('cp1250'))

    def test_the_year_comes_from_the_file_name(self):
        # 2008 has 29 February: the slot is filled, the source must have it.
        self.assertEqual(self.convert(valid_source(2008), year=2008), 0, self.stderr)
        with open(self.output, encoding='ascii') as cpp:
            texts = table_texts(cpp.read())
        self.assertEqual(texts[2 * slot(2, 29)], 'První text dne 29.2. podle Žalmů. (Ž\xa02,29)'.encode('cp1250'))
        self.assertEqual(sum(1 for text in texts if not text), 12)
        self.assertEqual(self.convert(valid_source(2007), year=2008), 1)
        self.assertIn('2008.txt:', self.stderr)
        self.assertIn('missing 29.2.', self.stderr)
        self.assertEqual(self.convert(valid_source(2007), name='texts.txt'), 1)
        self.assertIn('texts.txt: cannot take the year from the file name', self.stderr)

    def test_length_limits_count_windows_1250_bytes(self):
        # Czech letters take two bytes in UTF-8 but one in the table.
        reference = ' (Ž 1,1)'
        for length, accepted in [(29, False), (30, True), (392, True), (393, False)]:
            with self.subTest(length=length):
                lines = valid_source(2007)
                replace(lines, '1.1.', 1, 'ž' * (length - len(reference)) + reference)
                self.assertEqual(self.convert(lines), 0 if accepted else 1, self.stderr)
                if not accepted:
                    self.assertIn('2007.txt:4: %d bytes, outside 30 to 392' % length, self.stderr)


def mutations():
    """(name, change to a valid 2007 source, where the error is, its words).

    Where: (date, offset) of the line in the unchanged source, or None for the
    last line of the changed one.
    """
    def text(date, offset, new):
        return lambda lines: replace(lines, date, offset, new)

    def swap_days(lines):
        first, second = at(lines, '7.1.'), at(lines, '8.1.')
        lines[first:first + 3], lines[second:second + 3] = lines[second:second + 3], lines[first:first + 3]

    def run_into_next(lines):
        del lines[at(lines, '4.1.') + 2:at(lines, '4.1.') + 4]

    ok = 'Text, jenž je jinak v pořádku'
    return [
        ('a day missing at the end', lambda lines: remove_day(lines, '31.12.'), None,
         '364 days instead of 365, missing 31.12.'),
        ('a day missing inside', lambda lines: remove_day(lines, '5.1.'), ('5.1.', 0), 'missing 5.1. before 6.1.'),
        ('a duplicate date', text('6.1.', 0, '5.1.'), ('6.1.', 0), 'duplicate date 5.1. (first on line'),
        ('days out of order', swap_days, ('8.1.', 0), '7.1. out of order, after 8.1.'),
        ('a date the year lacks', text('28.2.', 0, '29.2.'), ('28.2.', 0), '29.2. is not a date of 2007'),
        ('month 13', text('31.12.', 0, '31.13.'), ('31.12.', 0), '31.13. is not a date of 2007'),
        ('a date without its last point', text('3.1.', 0, '3.1'), ('3.1.', 0), "malformed date line '3.1'"),
        ('a date with the year', text('3.1.', 0, '3.1.2007'), ('3.1.', 0), 'malformed date line'),
        ('a date with a leading zero', text('3.1.', 0, '03.1.'), ('3.1.', 0), 'malformed date line'),
        ('a day with one text', lambda lines: lines.pop(at(lines, '4.1.') + 2), ('4.1.', 0),
         '4.1. has 1 text line(s) instead of 2'),
        ('a day running into the next', run_into_next, ('4.1.', 0), '4.1. has 1 text line(s) instead of 2'),
        ('a third text', lambda lines: lines.insert(at(lines, '4.1.') + 3, ok + '. (Ž 1,1)'), ('4.1.', 3),
         'a third text line for 4.1.'),
        ('a character outside Windows-1250', text('3.1.', 1, ok + ' \u2192 dál. (Ž 1,1)'), ('3.1.', 1),
         '\u2192 (U+2192) is not a Windows-1250 character'),
        ('a tab', text('3.1.', 1, ok + '\tdál. (Ž 1,1)'), ('3.1.', 1), 'control character U+0009'),
        ('a carriage return', text('3.1.', 2, ok + '. (Ž 1,1)\r'), ('3.1.', 2), 'control character U+000D'),
        ('an ASCII double quote', text('3.1.', 1, ok + ' "cituje". (Ž 1,1)'), ('3.1.', 1), 'ASCII quote "'),
        ('an apostrophe', text('3.1.', 1, ok + ' i\'d. (Ž 1,1)'), ('3.1.', 1), "ASCII quote '"),
        ('no reference', text('3.1.', 1, ok + ', ale bez odkazu.'), ('3.1.', 1), 'does not end with a reference'),
        ('a blank after the reference', text('3.1.', 1, ok + '. (Ž 1,1) '), ('3.1.', 1),
         'does not end with a reference'),
        ('no blank before the reference', text('3.1.', 1, ok + '.(Ž 1,1)'), ('3.1.', 1),
         'does not end with a reference'),
        ('no blank before the chapter', text('3.1.', 1, ok + '. (Ž1,1)'), ('3.1.', 1), 'does not end with a reference'),
        ('a colon for the comma', text('3.1.', 1, ok + '. (Ž 1:1)'), ('3.1.', 1), 'does not end with a reference'),
        ('no verse', text('3.1.', 1, ok + '. (Ž 1,)'), ('3.1.', 1), 'does not end with a reference'),
        ('a verse range without its end', text('3.1.', 1, ok + '. (Ž 1,4-)'), ('3.1.', 1),
         'does not end with a reference'),
        ('a book number without its point', text('3.1.', 1, ok + '. (1Kor 1,1)'), ('3.1.', 1),
         'does not end with a reference'),
        ('an unclosed reference', text('3.1.', 1, ok + '. (Ž 1,1'), ('3.1.', 1), 'does not end with a reference'),
        ('a parenthesis in the text', text('3.1.', 1, ok + ' (vskutku). (Ž 1,1)'), ('3.1.', 1),
         'a parenthesis besides'),
        ('a closing parenthesis alone', text('3.1.', 1, ok + ' vskutku). (Ž 1,1)'), ('3.1.', 1),
         'a parenthesis besides'),
        ('two references', text('3.1.', 2, ok + '. (Ž 1,1) (Ž 1,2)'), ('3.1.', 2), 'a parenthesis besides'),
        ('a no-break space in the text', text('3.1.', 1, ok + '\u00a0dál. (Ž 1,1)'), ('3.1.', 1),
         'a no-break space outside the reference'),
        ('a text too short', text('3.1.', 2, 'Krátký. (Ž 1,1)'), ('3.1.', 2), '15 bytes, outside 30 to 392'),
    ]


class MalformedSource(unittest.TestCase, Conversion):

    def test_each_fault_is_refused_with_its_line(self):
        for name, change, where, words in mutations():
            with self.subTest(name):
                lines = valid_source(2007)
                line = at(lines, where[0]) + where[1] + 1 if where else None
                change(lines)
                line = line or len(lines)
                self.assertEqual(self.convert(lines), 1, name)
                errors = self.stderr.splitlines()
                self.assertTrue(any(error.startswith('2007.txt:%d: ' % line) and words in error for error in errors),
                                '%s: expected line %d "%s" in:\n%s' % (name, line, words, self.stderr))
                self.assertFalse(os.path.exists(self.output))

    def test_bytes_that_are_not_utf8(self):
        # A Windows-1250 "í" in the first text of 3.1.
        raw = '\n'.join(valid_source(2007)).encode('utf-8')
        raw = raw.replace('První text dne 3.1.'.encode('utf-8'), b'Prvn\xed text dne 3.1.', 1)
        self.assertEqual(self.convert(None, raw=raw), 1)
        self.assertIn('2007.txt:13: not UTF-8', self.stderr)
        self.assertNotIn('text line', self.stderr)

    def test_a_failed_conversion_removes_the_old_table(self):
        lines = valid_source(2007)
        self.assertEqual(self.convert(lines), 0, self.stderr)
        with open(self.source, 'a', encoding='utf-8') as source:
            source.write('1.1.\n')
        run = subprocess.run([sys.executable, CONVERTER, self.source, self.output], capture_output=True, text=True)
        self.assertEqual(run.returncode, 1)
        self.assertIn('duplicate date 1.1.', run.stderr)
        self.assertFalse(os.path.exists(self.output))
        self.assertEqual(os.listdir(os.path.dirname(self.output)), ['2007.txt'])


if __name__ == '__main__':
    unittest.main()
