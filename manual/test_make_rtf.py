#!/usr/bin/env python3
"""The manual converter: the RTF it writes from a small source, and how it
refuses each kind of faulty source, naming file and line."""
import os
import re
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
CONVERTER = os.path.join(HERE, "make_rtf.py")

SOURCE = """\
% a remark, left out
= Ranoslov 2007

Úvod s `DIAR.TXT` a **tučným** textem,
na dvou řádcích. Závorky {} a \\ zůstanou.

== Připomínky „DIAR.TXT“

- PO znamená pondělí,
  pokračování položky
- druhá položka

| ; Vánoce – s pomlčkou
|
| 24.12. Vánoce

=== Poslední…
Odstavec hned po nadpisu,
| a příklad hned po něm.
"""


def convert(source, *options, output_exists=False):
    """Runs the converter on a source; returns exit code, stderr and the RTF."""
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "manual.txt")
        with open(path, "wb") as f:
            f.write(source if isinstance(source, bytes) else source.encode("utf-8"))
        output = os.path.join(folder, "RS7.RTF")
        if output_exists:
            with open(output, "w") as f:
                f.write("an old manual")
        run = subprocess.run([sys.executable, CONVERTER, *options, path, output], capture_output=True, text=True)
        rtf = None
        if os.path.exists(output):
            with open(output, "rb") as f:
                rtf = f.read()
        leftovers = sorted(set(os.listdir(folder)) - {"manual.txt", "RS7.RTF"})
    return run.returncode, run.stderr, rtf, leftovers


def paragraphs(rtf):
    """The body's paragraphs, each as its RTF text after the formatting words."""
    body = rtf.decode("ascii").split("\\viewkind4\\uc1\r\n", 1)[1]
    return [re.sub(r"^\\pard\\plain(\\[a-z]+-?\d*)* ", "", line)
            for line in body.split("\r\n") if line.startswith("\\pard")]


class Converts(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.code, cls.errors, cls.rtf, cls.leftovers = convert(SOURCE, "--title", "Ranoslov 2007")

    def test_writes_seven_bit_rtf_in_windows_1250_with_crlf(self):
        self.assertEqual(self.code, 0, self.errors)
        self.assertTrue(self.rtf.startswith(b"{\\rtf1\\ansi\\ansicpg1250\\deff0"))
        self.assertTrue(all(byte < 0x80 for byte in self.rtf))
        self.assertNotIn(b"\n", self.rtf.replace(b"\r\n", b""))
        fonts = re.findall(rb"{\\f\d[^}]*}", self.rtf[: self.rtf.index(b"{\\stylesheet")])
        self.assertEqual(len(fonts), 3)
        for font in fonts:
            self.assertIn(b"\\fcharset238 ", font)
        self.assertEqual(self.leftovers, [])

    def test_blocks_in_order_with_escapes_and_inline_markup(self):
        expected = [
            "Ranoslov 2007\\par",
            "\\'davod s {\\f2\\fs20 DIAR.TXT} a {\\b tu\\'e8n\\'fdm} textem, na dvou \\'f8\\'e1dc\\'edch. "
            "Z\\'e1vorky \\{\\} a \\\\ z\\'f9stanou.\\par",
            "P\\'f8ipom\\'ednky \\'84DIAR.TXT\\'93\\par",
            "\\'95\\tab PO znamen\\'e1 pond\\'ecl\\'ed, pokra\\'e8ov\\'e1n\\'ed polo\\'9eky\\par",
            "\\'95\\tab druh\\'e1 polo\\'9eka\\par",
            "; V\\'e1noce \\'96 s poml\\'e8kou\\par",
            "\\par",
            "24.12. V\\'e1noce\\par",
            "Posledn\\'ed\\'85\\par",
            "Odstavec hned po nadpisu,\\par",
            "a p\\'f8\\'edklad hned po n\\'ecm.\\par",
        ]
        self.assertEqual(paragraphs(self.rtf), expected)

    def test_paragraph_formats(self):
        lines = [line for line in self.rtf.decode("ascii").split("\r\n") if line.startswith("\\pard")]
        kinds = [re.search(r"\\s(\d)", line).group(1) for line in lines]
        self.assertEqual(kinds, ["1", "0", "2", "0", "0", "4", "4", "4", "3", "0", "4"])
        # Items hang their bullet; the last item and the last example line
        # keep the distance to what follows.
        self.assertIn("\\fi-284\\li567\\tx567\\sa80", lines[3])
        self.assertIn("\\sa120", lines[4])
        self.assertNotIn("\\sa", lines[5])
        self.assertIn("\\sa120", lines[7])
        # An example stays together and with the paragraph that leads to it.
        self.assertEqual(["\\keepn" in line for line in lines[5:8]], [True, True, False])
        self.assertNotIn("\\keepn", lines[1])
        self.assertIn("\\keepn", lines[9])


class Refuses(unittest.TestCase):
    CASES = [
        # name, source, options, the message expected ("line: text")
        ("no title", "Text.\n", [], "1: the manual begins with its title"),
        ("second title", "= A\n\n= B\n", [], "3: a second title"),
        ("other title", "= Ranoslov 2008\n", ["--title", "Ranoslov 2007"], "1: the title is 'Ranoslov 2008'"),
        ("deep heading", "= A\n==== B\n", [], "2: a heading is"),
        ("heading without blank", "= A\n==B\n", [], "2: a heading is"),
        ("example without blank", "= A\n|x\n", [], "2: an example line is"),
        ("stray indent", "= A\n\n  text\n", [], "3: an indented line continues a list item only"),
        ("not in Windows-1250", "= A\n\nŠipka → vpravo.\n", [], "3: U+2192"),
        ("control character", "= A\n\nTab\there.\n", [], "3: control character U+0009"),
        ("C1 control", "= A\n\nx\u0085y\n", [], "3: control character U+0085"),
        ("CR LF", "= A\r\n", [], "1: a CR LF line end"),
        ("trailing blank", "= A\n\nText. \n", [], "3: blanks at the end of the line"),
        ("run of blanks", "= A\n\nDva  mezery.\n", [], "3: two blanks in a row"),
        ("run of blanks in an example", "= A\n\n|   ; x\n", [], "3: two blanks in a row"),
        ("unclosed fixed", "= A\n\nA `DIAR.TXT soubor.\n", [], "3: an unclosed ` or **"),
        ("unclosed bold", "= A\n\nVelmi **tučně.\n", [], "3: an unclosed ` or **"),
        ("not UTF-8", "= A\n\nP\xf8\xedli\xb9\n".encode("latin-1"), [], "3: not UTF-8"),
    ]

    def test_each_fault_names_its_line_and_leaves_no_output(self):
        for name, source, options, message in self.CASES:
            with self.subTest(name):
                code, errors, rtf, leftovers = convert(source, *options, output_exists=True)
                self.assertEqual(code, 1)
                self.assertIn("manual.txt:" + message, errors)
                self.assertIsNone(rtf, "an old or half output was left")
                self.assertEqual(leftovers, [])


if __name__ == "__main__":
    unittest.main()
