#!/usr/bin/env python3
"""The committed texts: the converter accepts them in the table layout, each
text is exactly the verses its reference names, and make_source.py finds
verses by their printed numbers and refuses bad references."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_source  # noqa: E402
from test_build_table import slot, table_texts  # noqa: E402

SOURCE = os.path.join(HERE, '2007.txt')
REFS = os.path.join(HERE, '2007.refs')
VERSES = os.path.join(HERE, 'bkr.tsv')


def source_days(path):
    """{date line: (first text, second text)} of a source."""
    with open(path, encoding='utf-8') as source:
        lines = [line for line in source.read().split('\n') if not line.startswith('#')]
    return {line: (lines[index + 1], lines[index + 2])
            for index, line in enumerate(lines) if line[:1].isdigit() and line.endswith('.') and ' ' not in line}


class CommittedSource(unittest.TestCase):

    def test_the_converter_accepts_it_in_the_table_layout(self):
        output = os.path.join(tempfile.mkdtemp(), 'table.cpp')
        run = subprocess.run([sys.executable, os.path.join(HERE, 'build_table.py'), SOURCE, output],
                             capture_output=True, text=True)
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(output, encoding='ascii') as cpp:
            texts = table_texts(cpp.read())
        self.assertEqual(len(texts), 744)
        missing = [(2, 29), (2, 30), (2, 31), (4, 31), (6, 31), (9, 31), (11, 31)]
        self.assertEqual([index for index, text in enumerate(texts) if not text],
                         sorted(2 * slot(*date) + half for date in missing for half in (0, 1)))
        size = sum(len(text) + 1 for text in texts)
        self.assertTrue(79000 <= size < 80000, size)
        days = source_days(SOURCE)
        for date, first in [('1.1.', 0), ('1.3.', 124), ('31.12.', 742)]:
            with self.subTest(date=date):
                expected = [text[:text.rindex(' ')] + '\xa0' + text[text.rindex(' ') + 1:] for text in days[date]]
                self.assertEqual([texts[first], texts[first + 1]], [text.encode('cp1250') for text in expected])

    def test_it_is_what_make_source_gives_from_the_refs(self):
        run = subprocess.run([sys.executable, os.path.join(HERE, 'make_source.py'), '--check'],
                             capture_output=True, text=True)
        self.assertEqual(run.returncode, 0, run.stderr)

    def test_the_check_finds_a_text_that_drifted(self):
        folder = tempfile.mkdtemp()
        drifted = os.path.join(folder, '2007.txt')
        with open(SOURCE, encoding='utf-8') as source:
            lines = source.read().split('\n')
        at = lines.index('2.1.') + 2
        lines[at] = lines[at].replace(' ', '  ', 1)
        with open(drifted, 'w', encoding='utf-8') as out:
            out.write('\n'.join(lines))
        run = subprocess.run([sys.executable, os.path.join(HERE, 'make_source.py'), '--check', REFS, VERSES, drifted],
                             capture_output=True, text=True)
        self.assertEqual(run.returncode, 1)
        self.assertIn('2007.txt:%d: ' % (at + 1), run.stderr)


# Rows in the data's layout showing its quirks: a psalm title with the
# printed verse 2 inside verse 1, shifted printed numbers, two rows that
# printed editions count as one verse, a verse number without chapter,
# a row without text, parentheses of the translation's own.
FIXTURE = """\
book\tabbrev\tname\ttestament\tchapter\tverse\tprinted\ttext
1\t1.Mojž\t1. Mojžíšova\tSZ\t29\t18\t\tI miloval Jákob Ráchel.) Řekl tedy: Buduť sloužiti.
1\t1.Mojž\t1. Mojžíšova\tSZ\t29\t19\t\tI odpověděl Lában: (Lépe jest) dáti ji tobě.
18\tJb\tJob\tSZ\t31\t40\t\tMísto pšenice nechť vzejde trní. (41) Skonávají se slova Jobova.
19\tŽ\tŽalmy\tSZ\t3\t1\t\tŽalm Davidův, když utíkal. (3:2) Hospodine, jakť jsou mnozí nepřátelé moji!
19\tŽ\tŽalmy\tSZ\t3\t2\t3:3\tMnozí mluví o duši mé.
19\tŽ\tŽalmy\tSZ\t13\t5\t13:6\tJáť zajisté v milosrdenství tvém doufám;
19\tŽ\tŽalmy\tSZ\t13\t6\t13:6\tzpívati budu Hospodinu.
20\tPřísl\tPřísloví\tSZ\t14\t32\t\t
40\tMt\tMatouš\tNZ\t5\t3\t\tBlahoslavení chudí duchem.
40\tMt\tMatouš\tNZ\t5\t4\t\tBlahoslavení lkající.
40\tMt\tMatouš\tNZ\t5\t5\t\tBlahoslavení tiší.
40\tMt\tMatouš\tNZ\t5\t6\t\tBlahoslavení lační.
66\tZj\tZjevení\tNZ\t13\t1\t12:18\tI stál jsem na písku mořském. (13:1) I viděl jsem šelmu.
"""


class VerseLookup(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        path = os.path.join(tempfile.mkdtemp(), 'verses.tsv')
        with open(path, 'w', encoding='utf-8') as out:
            out.write(FIXTURE)
        cls.books = make_source.load_verses(path)

    def test_texts_by_printed_numbers(self):
        cases = [
            ('Ž 3,1', 'Žalm Davidův, když utíkal. (Ž 3,1)'),
            ('Ž 3,2', 'Hospodine, jakť jsou mnozí nepřátelé moji! (Ž 3,2)'),
            ('Ž 3,3', 'Mnozí mluví o duši mé. (Ž 3,3)'),
            ('Ž 3,1-3', 'Žalm Davidův, když utíkal. Hospodine, jakť jsou mnozí nepřátelé moji! '
                        'Mnozí mluví o duši mé. (Ž 3,1-3)'),
            ('Ž 13,6', 'Jáť zajisté v milosrdenství tvém doufám; zpívati budu Hospodinu. (Ž 13,6)'),
            ('Jb 31,41', 'Skonávají se slova Jobova. (Jb 31,41)'),
            ('Zj 12,18', 'I stál jsem na písku mořském. (Zj 12,18)'),
            ('Zj 13,1', 'I viděl jsem šelmu. (Zj 13,1)'),
            ('Mt 5,3.5-6', 'Blahoslavení chudí duchem. Blahoslavení tiší. Blahoslavení lační. (Mt 5,3.5-6)'),
            ('1.Mojž 29,18-19', 'I miloval Jákob Ráchel.] Řekl tedy: Buduť sloužiti. '
                                'I odpověděl Lában: [Lépe jest] dáti ji tobě. (1.Mojž 29,18-19)'),
            ('Mt\xa05,4', 'Blahoslavení lkající. (Mt 5,4)'),
        ]
        for reference, text in cases:
            with self.subTest(reference):
                self.assertEqual(make_source.watchword(self.books, reference), text)

    def test_references_that_name_no_text(self):
        cases = [
            ('Ž 13,5', 'Ž 13,5 is not a verse with text'),  # printed 13:6 is common 13:5
            ('Ž 3,4', 'Ž 3,4 is not a verse with text'),
            ('Přísl 14,32', 'Přísl 14,32 is not a verse with text'),
            ('L 1,1', 'unknown book L'),
            ('Ž 3,3-1', 'not in ascending order'),
            ('Ž 3,1.1', 'not in ascending order'),
            ('Ž 3:1', 'malformed reference'),
            ('Ž 3,1 ', 'malformed reference'),
        ]
        for reference, words in cases:
            with self.subTest(reference):
                with self.assertRaises(ValueError) as raised:
                    make_source.watchword(self.books, reference)
                self.assertIn(words, str(raised.exception))


class BadRefs(unittest.TestCase):
    """make_source.py refuses a refs file with one bad line, naming the line."""

    @classmethod
    def setUpClass(cls):
        cls.books = make_source.load_verses(VERSES)
        with open(REFS, encoding='utf-8') as refs:
            cls.lines = refs.read().split('\n')

    def refused(self, change):
        lines = list(self.lines)
        change(lines)
        folder = tempfile.mkdtemp()
        path = os.path.join(folder, '2007.refs')
        with open(path, 'w', encoding='utf-8') as out:
            out.write('\n'.join(lines))
        try:
            make_source.build_source(path, self.books)
        except SystemExit as refusal:
            return str(refusal)
        finally:
            shutil.rmtree(folder)
        self.fail('accepted')

    def test_each_fault_names_its_line(self):
        def line_of(date):
            return next(index for index, line in enumerate(self.lines) if line.startswith(date + '\t'))

        def set_field(date, field, value):
            def change(lines):
                fields = lines[line_of(date)].split('\t')
                fields[field] = value
                lines[line_of(date)] = '\t'.join(fields)
            return change

        def swap(lines):
            date, first, second = lines[line_of('3.1.')].split('\t')
            lines[line_of('3.1.')] = '\t'.join((date, second, first))

        second_book = self.lines[line_of('3.1.')].split('\t')[2].split(' ')[0]
        cases = [
            # (fault, change, date of the line named in the unchanged refs, words)
            ('the testaments swapped', swap, '3.1.', 'first reference ' + second_book),
            ('an unknown book', set_field('3.1.', 1, 'Xy 1,1'), '3.1.', 'first reference: unknown book Xy'),
            ('no such verse', set_field('3.1.', 2, 'Mt 1,99'), '3.1.', 'second reference: Mt 1,99 is not a verse'),
            ('a text too long', set_field('3.1.', 1, 'Ž 119,1-9'), '3.1.', 'bytes, outside 30 to 392'),
            ('a malformed line', set_field('3.1.', 0, '3.1.\tŽ 1,1'), '3.1.', 'expected date, first and second'),
            ('a day missing', lambda lines: lines.pop(line_of('3.1.')), '3.1.', 'missing 3.1. before 4.1.'),
            ('a date the year lacks', set_field('28.2.', 0, '29.2.'), '28.2.', '29.2. is not a date of 2007'),
        ]
        for name, change, date, words in cases:
            with self.subTest(name):
                message = self.refused(change)
                prefix = '2007.refs:%d: ' % (line_of(date) + 1)
                self.assertTrue(any(error.startswith(prefix) and words in error for error in message.splitlines()),
                                'expected %s...%s in:\n%s' % (prefix, words, message))


if __name__ == '__main__':
    unittest.main()
