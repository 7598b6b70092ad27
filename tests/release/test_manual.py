#!/usr/bin/env python3
"""The built manual as a word processor reads it.

LibreOffice, started once per format in a profile of its own, converts the
RTF to text and to PDF. The text must hold the manual's source block by
block, Czech letters and the example lines of DIAR.TXT exactly; the first
page of the PDF is rendered to PNG in the work folder for a person to look at.

Usage: test_manual.py --soffice SOFFICE --pdftoppm PDFTOPPM --source manual.txt
                      --work DIR RS7.RTF
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import unittest

ARGS = None
CONVERSION_SECONDS = 120


def source_blocks(path):
    """The source's blocks as (kind, text or lines), read independently of
    the converter: title, heading, subheading, paragraph, item, example."""
    blocks = []
    kind = None
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    for line in lines:
        if line.startswith("%"):
            continue
        if not line.strip():
            kind = None
            continue
        heading = re.match(r"(=+) (.*)$", line)
        if heading:
            blocks.append((["title", "heading", "subheading"][len(heading.group(1)) - 1], heading.group(2)))
            kind = None
        elif line.startswith("|"):
            if kind == "example":
                blocks[-1][1].append(line[2:])
            else:
                blocks.append(("example", [line[2:]]))
            kind = "example"
        elif line.startswith("- "):
            blocks.append(("item", line[2:]))
            kind = "item"
        elif line.startswith("  ") and kind == "item":
            blocks[-1] = ("item", blocks[-1][1] + " " + line.strip())
        elif kind == "paragraph":
            blocks[-1] = ("paragraph", blocks[-1][1] + " " + line.strip())
        else:
            blocks.append(("paragraph", line.strip()))
            kind = "paragraph"
    return blocks


def plain(text):
    """Text without the inline markup, as a reader shows it."""
    return re.sub(r"`([^`]+)`|\*\*([^*]+)\*\*", lambda m: m.group(1) or m.group(2), text)


def expected_lines(blocks):
    lines = []
    for kind, content in blocks:
        if kind == "example":
            lines.extend(content)
        elif kind == "item":
            lines.append("\u2022\t" + plain(content))
        else:
            lines.append(plain(content))
    return lines


def convert(rtf, target, work):
    """One LibreOffice conversion; returns the output file's path."""
    profile = os.path.join(work, "profile")
    out = os.path.join(work, "out")
    os.makedirs(out, exist_ok=True)
    name = os.path.splitext(os.path.basename(rtf))[0] + "." + target.split(":")[0]
    result_path = os.path.join(out, name)
    if os.path.exists(result_path):
        os.remove(result_path)
    command = [ARGS.soffice, "-env:UserInstallation=file://" + os.path.abspath(profile), "--headless",
               "--convert-to", target, "--outdir", out, rtf]
    run = subprocess.run(command, capture_output=True, text=True, timeout=CONVERSION_SECONDS,
                         stdin=subprocess.DEVNULL)
    errors = [line for line in run.stderr.splitlines() if line.lower().startswith("error")]
    assert run.returncode == 0 and not errors, "LibreOffice failed (%d): %s" % (run.returncode, run.stderr)
    assert os.path.getsize(result_path) > 0, "LibreOffice wrote no %s" % result_path
    return result_path


class Manual(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(ARGS.rtf, "rb") as f:
            cls.rtf = f.read()
        text_file = convert(ARGS.rtf, "txt:Text (encoded):UTF8", ARGS.work)
        with open(text_file, encoding="utf-8-sig") as f:
            cls.lines = f.read().splitlines()
        cls.pdf = convert(ARGS.rtf, "pdf", ARGS.work)
        cls.blocks = source_blocks(ARGS.source)

    def test_rtf_declares_windows_1250_for_every_font(self):
        self.assertTrue(self.rtf.startswith(b"{\\rtf1\\ansi\\ansicpg1250\\deff0"))
        self.assertTrue(all(byte < 0x80 for byte in self.rtf), "bytes outside 7-bit ASCII")
        table = re.search(rb"{\\fonttbl(.*?)}}", self.rtf).group(1)
        fonts = re.findall(rb"{\\f\d+[^}]*}", table + b"}")
        self.assertTrue(fonts)
        for font in fonts:
            self.assertIn(b"\\fcharset238", font)

    def test_text_is_the_source_block_by_block(self):
        expected = expected_lines(self.blocks)
        self.assertEqual(len(self.lines), len(expected), "\n".join(self.lines))
        for number, (line, wanted) in enumerate(zip(self.lines, expected), 1):
            self.assertEqual(line, wanted, "line %d of the converted text" % number)

    def test_czech_headings_are_lines_of_their_own(self):
        headings = [text for kind, text in self.blocks if kind in ("title", "heading", "subheading")]
        self.assertIn("Připomínky v souboru DIAR.TXT", headings)
        self.assertIn("Příkazový řádek", headings)
        for heading in headings:
            self.assertTrue(heading in self.lines, "the heading %r is not a line of the text" % heading)

    def test_diar_example_lines_follow_one_another_exactly(self):
        examples = [lines for kind, lines in self.blocks if kind == "example"]
        diar = [lines for lines in examples if any(line.startswith("PO ") for line in lines)]
        self.assertEqual(len(diar), 1, "one example of DIAR.TXT")
        diar = diar[0]
        # A line of each kind: comment, weekday, date, day of the month, undated.
        for line in ["PO úklid", "24.12. Vánoce", "24 Výplata", "Zavolat mámě"]:
            self.assertIn(line, diar)
        self.assertTrue(any(line.startswith(";") for line in diar))
        self.assertTrue(diar[0] in self.lines, "%r is not a line of the text" % diar[0])
        start = self.lines.index(diar[0])
        self.assertEqual(self.lines[start:start + len(diar)], diar)

    def test_first_page_rendered_for_a_person(self):
        picture = os.path.join(ARGS.work, os.path.splitext(os.path.basename(ARGS.rtf))[0] + "-page1")
        if os.path.exists(picture + ".png"):
            os.remove(picture + ".png")
        subprocess.run([ARGS.pdftoppm, "-png", "-r", "80", "-f", "1", "-l", "1", "-singlefile", self.pdf, picture],
                       check=True, timeout=60)
        with open(picture + ".png", "rb") as f:
            png = f.read()
        self.assertTrue(png.startswith(b"\x89PNG\r\n\x1a\n"))
        width, height = int.from_bytes(png[16:20], "big"), int.from_bytes(png[20:24], "big")
        # A4 (210 x 297 mm) at 80 dots per inch: about 661 x 935.
        self.assertAlmostEqual(width, 661, delta=2)
        self.assertAlmostEqual(height, 935, delta=2)
        print("\nfirst page: %s.png" % picture, file=sys.stderr)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--soffice", default=shutil.which("soffice"))
    parser.add_argument("--pdftoppm", default=shutil.which("pdftoppm"))
    parser.add_argument("--source", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("rtf")
    ARGS, rest = parser.parse_known_args()
    if not ARGS.soffice or not ARGS.pdftoppm:
        print("LibreOffice (soffice) and pdftoppm are needed: tools/install_packages.sh installs them")
        return 1
    os.makedirs(ARGS.work, exist_ok=True)
    program = unittest.main(argv=[sys.argv[0]] + rest, exit=False)
    return 0 if program.result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
