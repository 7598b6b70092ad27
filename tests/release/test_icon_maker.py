#!/usr/bin/env python3
"""Tests tools/make_icon.py.

The programs' pictures are drawn and read back through icotool, whose PNG
output is compared pixel by pixel with the description; faulty descriptions
must be refused with a message naming the fault.

Usage: test_icon_maker.py --icotool ICOTOOL PICTURE.txt...
"""

import os
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import make_icon  # noqa: E402

ICOTOOL = "icotool"
PICTURES = []

# The standard 16-colour palette as red, green, blue, written out apart from
# the tool's own table.
COLOURS = {
    "k": 0x000000, "m": 0x800000, "g": 0x008000, "o": 0x808000,
    "n": 0x000080, "p": 0x800080, "t": 0x008080, "s": 0xC0C0C0,
    "d": 0x808080, "r": 0xFF0000, "l": 0x00FF00, "y": 0xFFFF00,
    "b": 0x0000FF, "f": 0xFF00FF, "a": 0x00FFFF, "w": 0xFFFFFF,
}


def png_pixels(png):
    """Rows of (red, green, blue, alpha) of an 8-bit RGBA PNG."""
    assert png[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    offset, packed, header = 8, b"", None
    while offset < len(png):
        length, kind = struct.unpack_from(">I4s", png, offset)
        body = png[offset + 8 : offset + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            packed += body
        offset += 12 + length
    width, height, depth, colour_type = header[:4]
    assert (depth, colour_type) == (8, 6), f"PNG depth {depth}, colour type {colour_type}"
    raw = zlib.decompress(packed)
    stride = 4 * width
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1 : (y + 1) * (stride + 1)])
        for x in range(stride):
            left = row[x - 4] if x >= 4 else 0
            up = previous[x]
            corner = previous[x - 4] if x >= 4 else 0
            if kind == 1:
                row[x] = (row[x] + left) & 0xFF
            elif kind == 2:
                row[x] = (row[x] + up) & 0xFF
            elif kind == 3:
                row[x] = (row[x] + (left + up) // 2) & 0xFF
            elif kind == 4:
                guess = left + up - corner
                near = min((abs(guess - left), 0, left), (abs(guess - up), 1, up), (abs(guess - corner), 2, corner))
                row[x] = (row[x] + near[2]) & 0xFF
        rows.append([tuple(row[x : x + 4]) for x in range(0, stride, 4)])
        previous = row
    return rows


class PicturesTest(unittest.TestCase):
    def assert_drawn(self, icon, index, rows):
        """icotool's PNG of image index shows the rows' pixels."""
        png = subprocess.run([ICOTOOL, "-x", f"--index={index}", "-o", "-", icon], check=True, capture_output=True)
        pixels = png_pixels(png.stdout)
        self.assertEqual(len(pixels), len(rows))
        for y, row in enumerate(rows):
            for x, letter in enumerate(row):
                place = f"{len(rows)}x{len(rows)} at ({x},{y})"
                if letter == ".":
                    self.assertEqual(pixels[y][x][3], 0, f"{place} not transparent")
                else:
                    colour = COLOURS[letter]
                    wanted = (colour >> 16, colour >> 8 & 0xFF, colour & 0xFF, 255)
                    self.assertEqual(pixels[y][x], wanted, f"{place} not '{letter}'")

    def test_pictures_read_back(self):
        """Each picture comes back from icotool as drawn, every size at 4 bits."""
        for path in PICTURES:
            with self.subTest(picture=os.path.basename(path)), tempfile.TemporaryDirectory() as folder:
                icon = os.path.join(folder, "picture.ico")
                subprocess.run([sys.executable, make_icon.__file__, path, icon], check=True)
                with open(path, encoding="ascii") as source:
                    images = make_icon.parse_picture(source.read())
                listing = subprocess.run([ICOTOOL, "-l", icon], check=True, capture_output=True, text=True).stdout
                self.assertEqual(
                    listing.splitlines(),
                    [
                        f"--icon --index={i} --width={size} --height={size} --bit-depth=4 --palette-size=16"
                        for i, (size, _) in enumerate(images, 1)
                    ],
                )
                for index, (_, rows) in enumerate(images, 1):
                    self.assert_drawn(icon, index, rows)

    def test_odd_size(self):
        """Rows whose bytes need padding, in both bitmaps, keep their pixels."""
        rows = ["rg.", ".wb", "k.y"]
        with tempfile.TemporaryDirectory() as folder:
            icon = os.path.join(folder, "odd.ico")
            with open(icon, "wb") as output:
                output.write(make_icon.make_icon([(3, rows)]))
            self.assert_drawn(icon, 1, rows)


class FaultyPictureTest(unittest.TestCase):
    CASES = [
        ("empty", "# nothing\n", "no image"),
        ("pixels first", "rr\nrr\n", "before the first 'image'"),
        ("bad header", "image x\n", "expected 'image N'"),
        ("too big", "image 257\n", "expected 'image N'"),
        ("short row", "image 2\nrr\nr\n", "line 3: 1 pixels, expected 2"),
        ("long row", "image 2\nrr\nrrr\n", "line 3: 3 pixels, expected 2"),
        ("unknown colour", "image 2\nrr\nrq\n", "line 3, column 2: unknown colour 'q'"),
        ("extra row", "image 1\nr\nr\n", "more than 1 rows"),
        ("missing row, last", "image 2\nrr\n", "has 1 rows"),
        ("missing row, then image", "image 2\nrr\nimage 1\nr\n", "line 3: the 2x2 image has 1 rows"),
        ("same size twice", "image 1\nr\nimage 1\ng\n", "a second 1x1 image"),
    ]

    def test_refused(self):
        for name, text, message in self.CASES:
            with self.subTest(name):
                with self.assertRaises(make_icon.PictureError) as caught:
                    make_icon.parse_picture(text)
                self.assertIn(message, str(caught.exception))

    def test_command_reports_fault(self):
        with tempfile.TemporaryDirectory() as folder:
            picture = os.path.join(folder, "bad.txt")
            icon = os.path.join(folder, "bad.ico")
            with open(picture, "w") as source:
                source.write("image 1\nq\n")
            result = subprocess.run([sys.executable, make_icon.__file__, picture, icon], capture_output=True, text=True)
            self.assertEqual(result.returncode, 1)
            self.assertIn("unknown colour 'q'", result.stderr)
            self.assertFalse(os.path.exists(icon))


if __name__ == "__main__":
    arguments = sys.argv[1:]
    if arguments[:1] == ["--icotool"]:
        ICOTOOL = arguments[1]
        arguments = arguments[2:]
    PICTURES = arguments
    unittest.main(argv=sys.argv[:1])
