#!/usr/bin/env python3
"""Converts the manual from its UTF-8 source to an RTF document in Windows-1250.

    make_rtf.py [--title TITLE] SOURCE OUTPUT.RTF

The source is a small markup, one block a group of lines:

    = Title                  the document's title (the first block, once)
    == Heading               a section heading
    === Heading              a subsection heading
    Text lines ...           a paragraph; its lines are joined with blanks
    - Item ...               a list item; lines that follow, indented by two
                             blanks, continue it
    | example line           a line in a fixed font, kept exactly as written
                             after "| " (blanks included); "|" alone is an
                             empty example line
    % remark                 a remark for the editor, left out

Blocks are separated by empty lines; a change of kind also starts a new
block. Inside text: `fixed` for a fixed font, **bold** for bold. Blanks
come one at a time: readers differ in how they show a run of them.

The output is plain 7-bit RTF: every character outside ASCII is written as
its Windows-1250 byte (\\'xx), so the file reads the same in any editor. A
character that Windows-1250 lacks, a control character or a malformed block
is refused with "SOURCE:LINE: message" and exit status 1, and then no output
is left. With --title the title must be exactly TITLE: a build for another
year refuses a manual written for this one.
"""
import argparse
import os
import re
import sys

# Fonts: the serif text face, the sans-serif heading face and the fixed face,
# all marked as Central European (charset 238) so that \'xx reads as
# Windows-1250 in every reader.
HEADER = (
    r"{\rtf1\ansi\ansicpg1250\deff0\deflang1029"
    r"{\fonttbl{\f0\froman\fprq2\fcharset238 Times New Roman;}"
    r"{\f1\fswiss\fprq2\fcharset238 Arial;}"
    r"{\f2\fmodern\fprq1\fcharset238 Courier New;}}"
    "\n"
    r"{\stylesheet{\s0\f0\fs22\lang1029 Normal;}"
    r"{\s1\sbasedon0\snext0\qc\sa240\keepn\outlinelevel0\f1\fs36\b Title;}"
    r"{\s2\sbasedon0\snext0\sb360\sa120\keepn\outlinelevel1\f1\fs28\b heading 1;}"
    r"{\s3\sbasedon0\snext0\sb240\sa80\keepn\outlinelevel2\f1\fs24\b heading 2;}"
    r"{\s4\sbasedon0\snext4\li567\f2\fs20 Example;}}"
    "\n"
)
# A4 with margins of 2.5 cm, in twips.
PAGE = r"\paperw11906\paperh16838\margl1417\margr1417\margt1417\margb1417\viewkind4\uc1" "\n"

PARAGRAPH_FORMATS = {
    "title": r"\pard\plain\s1\qc\sa240\keepn\outlinelevel0\f1\fs36\b\lang1029 ",
    "heading": r"\pard\plain\s2\sb360\sa120\keepn\outlinelevel1\f1\fs28\b\lang1029 ",
    "subheading": r"\pard\plain\s3\sb240\sa80\keepn\outlinelevel2\f1\fs24\b\lang1029 ",
    "paragraph": r"\pard\plain\s0\sa120\f0\fs22\lang1029 ",
    # A paragraph that leads to an example stays with it.
    "lead": r"\pard\plain\s0\sa120\keepn\f0\fs22\lang1029 ",
    # The bullet hangs in front of the text, which starts at the tab stop; the
    # last item keeps the paragraph distance to what follows.
    "item": r"\pard\plain\s0\fi-284\li567\tx567\sa80\f0\fs22\lang1029 \'95\tab ",
    "item_last": r"\pard\plain\s0\fi-284\li567\tx567\sa120\f0\fs22\lang1029 \'95\tab ",
    # The lines of an example stay on one page.
    "example": r"\pard\plain\s4\li567\keepn\f2\fs20\lang1029 ",
    "example_last": r"\pard\plain\s4\li567\sa120\f2\fs20\lang1029 ",
}


class SourceError(Exception):
    pass


class Block:
    def __init__(self, kind, line):
        self.kind = kind  # title, heading, subheading, paragraph, item, example
        self.line = line  # where it starts in the source
        self.parts = []  # text lines (joined) or example lines (kept)

    def text(self):
        return " ".join(self.parts)


def parse(lines):
    """The blocks of a source given as (line number, text) pairs."""
    blocks = []
    current = None

    def start(kind, number, first):
        nonlocal current
        current = Block(kind, number)
        current.parts.append(first)
        blocks.append(current)

    for number, line in lines:
        if line.startswith("%"):
            continue
        if not line.strip():
            current = None
            continue
        heading = re.match(r"(=+) (\S.*)$", line)
        if line.startswith("="):
            if not heading or len(heading.group(1)) > 3:
                raise SourceError(number, "a heading is '=', '==' or '===', a blank and its text")
            kind = ("title", "heading", "subheading")[len(heading.group(1)) - 1]
            start(kind, number, heading.group(2).rstrip())
            current = None  # a heading is one line
        elif line.startswith("|"):
            if line != "|" and not line.startswith("| "):
                raise SourceError(number, "an example line is '| ' and its text, or '|' alone")
            if current is None or current.kind != "example":
                start("example", number, line[2:])
            else:
                current.parts.append(line[2:])
        elif line.startswith("- "):
            start("item", number, line[2:].strip())
        elif line.startswith("  ") and current is not None and current.kind == "item":
            current.parts.append(line.strip())
        elif line.startswith(" "):
            raise SourceError(number, "an indented line continues a list item only")
        else:
            if current is None or current.kind != "paragraph":
                start("paragraph", number, line.strip())
            else:
                current.parts.append(line.strip())
    if not blocks or blocks[0].kind != "title":
        raise SourceError(1, "the manual begins with its title ('= Title')")
    for block in blocks[1:]:
        if block.kind == "title":
            raise SourceError(block.line, "a second title")
    return blocks


def escape(text, number):
    """Plain text as RTF: ASCII as it is, the rest as Windows-1250 bytes."""
    out = []
    for character in text:
        if character in "\\{}":
            out.append("\\" + character)
        elif " " <= character <= "~":
            out.append(character)
        else:
            try:
                byte = character.encode("cp1250")
            except UnicodeEncodeError:
                raise SourceError(number, "U+%04X %r is not in Windows-1250" % (ord(character), character))
            if byte[0] < 0x20 or byte[0] == 0x7F:
                raise SourceError(number, "control character U+%04X" % ord(character))
            out.append("\\'%02x" % byte[0])
    return "".join(out)


INLINE = re.compile(r"`([^`]+)`|\*\*([^*]+)\*\*")


def inline(text, number):
    """Text with `fixed` and **bold** parts as RTF."""
    out = []
    position = 0
    for match in INLINE.finditer(text):
        out.append(escape(text[position:match.start()], number))
        if match.group(1) is not None:
            out.append(r"{\f2\fs20 " + escape(match.group(1), number) + "}")
        else:
            out.append(r"{\b " + escape(match.group(2), number) + "}")
        position = match.end()
    rest = text[position:]
    if "`" in rest or "**" in rest:
        raise SourceError(number, "an unclosed ` or **")
    out.append(escape(rest, number))
    return "".join(out)


def render(blocks):
    body = []
    for position, block in enumerate(blocks):
        following = blocks[position + 1].kind if position + 1 < len(blocks) else None
        if block.kind == "example":
            for index, part in enumerate(block.parts):
                last = index == len(block.parts) - 1
                body.append(PARAGRAPH_FORMATS["example_last" if last else "example"] + escape(part, block.line + index)
                            + r"\par")
            continue
        form = block.kind
        if block.kind == "item" and following != "item":
            form = "item_last"
        elif block.kind == "paragraph" and following == "example":
            form = "lead"
        body.append(PARAGRAPH_FORMATS[form] + inline(block.text(), block.line) + r"\par")
    return HEADER + PAGE + "\n".join(body) + "\n}\n"


def read_source(path):
    with open(path, "rb") as f:
        data = f.read()
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError as error:
        line = data[: error.start].count(b"\n") + 1
        raise SourceError(line, "not UTF-8")
    lines = text.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    for number, line in enumerate(lines, 1):
        if line.endswith("\r"):
            raise SourceError(number, "a CR LF line end: the source uses LF")
        bad = [c for c in line if ord(c) < 0x20 or 0x7F <= ord(c) < 0xA0]
        if bad:
            raise SourceError(number, "control character U+%04X" % ord(bad[0]))
        if line != line.rstrip():
            raise SourceError(number, "blanks at the end of the line")
        # Word processors differ in how they show a run of blanks (one turns
        # it into other space characters), so the manual has none.
        content = line[2:] if line.startswith("| ") else line.lstrip(" ")
        if "  " in content:
            raise SourceError(number, "two blanks in a row")
    return list(enumerate(lines, 1))


def main():
    parser = argparse.ArgumentParser(description="Converts the manual source to RTF.")
    parser.add_argument("--title", help="the title the manual must have")
    parser.add_argument("source")
    parser.add_argument("output")
    args = parser.parse_args()
    try:
        blocks = parse(read_source(args.source))
        if args.title is not None and blocks[0].text() != args.title:
            raise SourceError(blocks[0].line, "the title is %r, not %r" % (blocks[0].text(), args.title))
        rtf = render(blocks)
    except SourceError as error:
        number, message = error.args
        print("%s:%d: %s" % (args.source, number, message), file=sys.stderr)
        if os.path.exists(args.output):
            os.remove(args.output)
        return 1
    # Written whole and then renamed, so that a failed run leaves no half file.
    temporary = args.output + ".tmp"
    with open(temporary, "w", encoding="ascii", newline="\r\n") as f:
        f.write(rtf)
    os.replace(temporary, args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
