#!/usr/bin/env python3
"""Draws a 16-colour Windows icon (.ico) from a picture description.

Usage: make_icon.py PICTURE.txt OUTPUT.ico

The description holds one or more images. Each starts with a line
"image N" and goes on with N rows of N letters, one letter a pixel, top row
first. Lines starting with "#" and empty lines are skipped. The letters name
the colours of the standard 16-colour palette; "." is transparent:

  k black   m maroon  g green  o olive   n navy  p purple   t teal  s silver
  d grey    r red     l lime   y yellow  b blue  f fuchsia  a aqua  w white

Each image is stored with 4 bits a pixel: a BITMAPINFOHEADER, the palette,
the colour (XOR) bitmap and the transparency (AND) mask, both bottom-up.
"""

import struct
import sys

# Letter, then the colour as red, green, blue: index order of the palette.
PALETTE = [
    ("k", (0x00, 0x00, 0x00)),
    ("m", (0x80, 0x00, 0x00)),
    ("g", (0x00, 0x80, 0x00)),
    ("o", (0x80, 0x80, 0x00)),
    ("n", (0x00, 0x00, 0x80)),
    ("p", (0x80, 0x00, 0x80)),
    ("t", (0x00, 0x80, 0x80)),
    ("s", (0xC0, 0xC0, 0xC0)),
    ("d", (0x80, 0x80, 0x80)),
    ("r", (0xFF, 0x00, 0x00)),
    ("l", (0x00, 0xFF, 0x00)),
    ("y", (0xFF, 0xFF, 0x00)),
    ("b", (0x00, 0x00, 0xFF)),
    ("f", (0xFF, 0x00, 0xFF)),
    ("a", (0x00, 0xFF, 0xFF)),
    ("w", (0xFF, 0xFF, 0xFF)),
]
INDEX = {letter: i for i, (letter, _) in enumerate(PALETTE)}
TRANSPARENT = "."


class PictureError(Exception):
    pass


def parse_picture(text):
    """Returns the images as a list of (size, rows)."""
    images = []
    size = None
    rows = []
    for number, line in enumerate(text.splitlines(), 1):
        line = line.rstrip()
        if not line or line.startswith("#"):
            continue
        where = f"line {number}"
        if line.startswith("image"):
            if size is not None and len(rows) != size:
                raise PictureError(f"{where}: the {size}x{size} image has {len(rows)} rows")
            words = line.split()
            if len(words) != 2 or not words[1].isdigit() or not 1 <= int(words[1]) <= 256:
                raise PictureError(f"{where}: expected 'image N' with N from 1 to 256")
            size = int(words[1])
            if any(size == s for s, _ in images):
                raise PictureError(f"{where}: a second {size}x{size} image")
            rows = []
            images.append((size, rows))
            continue
        if size is None:
            raise PictureError(f"{where}: pixels before the first 'image' line")
        if len(rows) == size:
            raise PictureError(f"{where}: more than {size} rows")
        if len(line) != size:
            raise PictureError(f"{where}: {len(line)} pixels, expected {size}")
        for column, letter in enumerate(line, 1):
            if letter != TRANSPARENT and letter not in INDEX:
                raise PictureError(f"{where}, column {column}: unknown colour '{letter}'")
        rows.append(line)
    if not images:
        raise PictureError("no image")
    if len(rows) != size:
        raise PictureError(f"the {size}x{size} image has {len(rows)} rows")
    return images


def padded(row_bytes):
    """Pads a bitmap row to a multiple of four bytes."""
    return row_bytes + bytes(-len(row_bytes) % 4)


def image_data(size, rows):
    """The BITMAPINFOHEADER, palette, XOR bitmap and AND mask of one image."""
    colours = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        indices = [INDEX.get(letter, 0) for letter in row]
        if size % 2:
            indices.append(0)
        nibbles = bytes(indices[i] << 4 | indices[i + 1] for i in range(0, len(indices), 2))
        colours += padded(nibbles)
        bits = bytearray((size + 7) // 8)
        for x, letter in enumerate(row):
            if letter == TRANSPARENT:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += padded(bytes(bits))
    # The height counts the colour bitmap and the mask together.
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0, len(colours) + len(mask), 0, 0, 16, 0)
    palette = b"".join(bytes((blue, green, red, 0)) for _, (red, green, blue) in PALETTE)
    return header + palette + colours + mask


def make_icon(images):
    """The bytes of the .ico file holding the images in the given order."""
    datas = [image_data(size, rows) for size, rows in images]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for (size, _), data in zip(images, datas):
        # Width and height 256 are written as 0.
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return directory + b"".join(datas)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: make_icon.py PICTURE.txt OUTPUT.ico\n")
        return 2
    try:
        with open(argv[1], encoding="ascii") as source:
            images = parse_picture(source.read())
    except (PictureError, UnicodeDecodeError) as error:
        sys.stderr.write(f"{argv[1]}: {error}\n")
        return 1
    with open(argv[2], "wb") as output:
        output.write(make_icon(images))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
