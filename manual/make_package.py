#!/usr/bin/env python3
"""Packs the distribution zip, the same bytes from the same files every time.

    make_package.py OUTPUT.zip NAME=FILE...

Each NAME=FILE pair adds FILE under NAME, in the order given. Every member
gets the same fixed date and plain file attributes, and nothing about the
machine, the user or the time of the build goes into the zip.
"""
import os
import sys
import zipfile

# The date every member carries: the release day of the edition.
MEMBER_DATE = (2006, 12, 27, 12, 0, 0)
# Made on MS-DOS-style systems, with only the archive attribute set.
DOS_SYSTEM = 0
ARCHIVE_ATTRIBUTE = 0x20


def member(name):
    info = zipfile.ZipInfo(name, MEMBER_DATE)
    info.create_system = DOS_SYSTEM
    info.external_attr = ARCHIVE_ATTRIBUTE
    info.compress_type = zipfile.ZIP_DEFLATED
    return info


def pack(output, members):
    """Writes the zip through a temporary file: a failure leaves no zip."""
    temporary = output + ".tmp"
    try:
        with zipfile.ZipFile(temporary, "w") as archive:
            for name, path in members:
                with open(path, "rb") as f:
                    data = f.read()
                archive.writestr(member(name), data, compresslevel=9)
        os.replace(temporary, output)
    finally:
        if os.path.exists(temporary):
            os.remove(temporary)


def main():
    if len(sys.argv) < 3:
        print(__doc__.strip(), file=sys.stderr)
        return 64
    output = sys.argv[1]
    members = []
    for pair in sys.argv[2:]:
        name, separator, path = pair.partition("=")
        if not separator or not name or not path:
            print("make_package.py: %r is not NAME=FILE" % pair, file=sys.stderr)
            return 64
        if name in (n for n, _ in members):
            print("make_package.py: %s given twice" % name, file=sys.stderr)
            return 64
        members.append((name, path))
    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    try:
        pack(output, members)
    except OSError as error:
        print("make_package.py: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
