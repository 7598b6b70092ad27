#!/usr/bin/env python3
"""The manual's messages against the programs' own texts.

Every message the manual quotes in bold must be made of the programs' string
literals and the example values it fills in (a year, a parameter, a path);
every Czech text the programs can show must appear in the manual. A message
reworded in a program, or one added without a word in the manual, fails here.
"""
import glob
import os
import re
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
PROGRAM_SOURCES = sorted(glob.glob(os.path.join(ROOT, "viewer", "*.cpp")) +
                         glob.glob(os.path.join(ROOT, "installer", "*.cpp")))

# What the manual fills in where a program inserts a value of its own.
EXAMPLE_VALUES = re.compile(r"abc|\b\d{4}\b|C:\\Program Files\\Ranoslov(\\REMOVE\.DAT)?|…\\~REMOVE\.DAT")
CPP_ESCAPES = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"', "'": "'", "0": "\0"}


def normal(text):
    """Blanks of any kind as one blank: the manual writes them so."""
    return re.sub(r"[ \u00a0]+", " ", text)


def unescape(body):
    def one(match):
        escape = match.group(1)
        if escape[0] == "u":
            return chr(int(escape[1:], 16))
        return CPP_ESCAPES[escape]
    return re.sub(r"\\(u[0-9A-Fa-f]{4}|.)", one, body)


def literals(path):
    """The file's string literals, adjacent ones joined, comments left out."""
    with open(path, encoding="utf-8") as f:
        code = f.read()
    found = []
    previous_end = None
    for match in re.finditer(r'//[^\n]*|/\*.*?\*/|\'(?:[^\'\\\n]|\\.)*\'|"((?:[^"\\\n]|\\.)*)"', code, re.S):
        if match.group(1) is None:
            previous_end = None
            continue
        text = unescape(match.group(1))
        if previous_end is not None and not code[previous_end:match.start()].strip():
            found[-1] += text
        else:
            found.append(text)
        previous_end = match.end()
    return found


def manual_text():
    with open(os.path.join(HERE, "manual.txt"), encoding="utf-8") as f:
        lines = [line for line in f.read().split("\n") if not line.startswith("%")]
    return normal(" ".join(line.strip() for line in lines))


class Messages(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.literals = [normal(text) for path in PROGRAM_SOURCES for text in literals(path)]
        cls.manual = manual_text()
        section = cls.manual[cls.manual.index("== Hlášení"):]
        cls.quoted = re.findall(r"\*\*(.+?)\*\*", section)

    def test_sources_found(self):
        self.assertTrue(any(path.endswith("reminders.cpp") for path in PROGRAM_SOURCES))
        self.assertTrue(any(path.endswith("install_procedure.cpp") for path in PROGRAM_SOURCES))
        self.assertGreaterEqual(len(self.quoted), 15)

    def test_each_quoted_message_is_made_of_program_texts(self):
        for message in self.quoted:
            with self.subTest(message):
                pieces = [piece for piece in EXAMPLE_VALUES.split(message) if piece and piece.strip()]
                for piece in pieces:
                    self.assertTrue(any(piece in literal for literal in self.literals),
                                    "%r is in no program text" % piece)

    def test_each_czech_program_text_is_in_the_manual(self):
        for text in self.literals:
            czech = any(ord(c) > 0x7F for c in text) and len(text.strip()) >= 12
            if not czech or text.endswith(".lnk"):
                continue
            with self.subTest(text):
                self.assertIn(text.strip(), self.manual)


if __name__ == "__main__":
    unittest.main()
