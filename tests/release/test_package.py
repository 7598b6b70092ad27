#!/usr/bin/env python3
"""The distribution zip: exactly its members, in order, with the built files'
bytes and fixed metadata, a starter that installs from its own folder, and
the same bytes when it is packed again from copies made at another time.

Usage: test_package.py --packer make_package.py PACKAGE.zip NAME=FILE...
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

ARGS = None
EXPECTED_NAMES = ["INSTALUJ.BAT", "INSTALL.EXE", "RS7.EXE", "RS7.RTF"]


def pack(output, members):
    subprocess.run([sys.executable, ARGS.packer, output] + ["%s=%s" % pair for pair in members], check=True)
    with open(output, "rb") as f:
        return f.read()


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(ARGS.package, "rb") as f:
            cls.bytes = f.read()
        cls.members = [tuple(pair.split("=", 1)) for pair in ARGS.members]

    def test_members_exactly_and_in_order(self):
        with zipfile.ZipFile(ARGS.package) as archive:
            self.assertEqual(archive.namelist(), EXPECTED_NAMES)
            self.assertIsNone(archive.testzip())
            self.assertEqual(archive.comment, b"")

    def test_members_hold_the_built_files(self):
        with zipfile.ZipFile(ARGS.package) as archive:
            for name, path in self.members:
                with open(path, "rb") as f:
                    self.assertEqual(archive.read(name), f.read(), name)

    def test_metadata_is_fixed(self):
        with zipfile.ZipFile(ARGS.package) as archive:
            for info in archive.infolist():
                with self.subTest(info.filename):
                    self.assertEqual(info.date_time, (2006, 12, 27, 12, 0, 0))
                    self.assertEqual(info.create_system, 0)
                    self.assertEqual(info.external_attr, 0x20)
                    self.assertEqual(info.extra, b"")
                    self.assertEqual(info.compress_type, zipfile.ZIP_DEFLATED)

    def test_starter_installs_from_its_own_folder(self):
        with zipfile.ZipFile(ARGS.package) as archive:
            starter = archive.read("INSTALUJ.BAT")
        self.assertTrue(starter.endswith(b"\r\n"))
        self.assertNotIn(b"\n", starter.replace(b"\r\n", b""), "a line end other than CR LF")
        self.assertTrue(all(byte < 0x80 for byte in starter), "the console would show other letters")
        lines = [line.strip().lower() for line in starter.decode("ascii").split("\r\n")]
        commands = [line for line in lines if line and not line.startswith("rem") and line != "@echo off"]
        # First into the starter's own folder, then the installer from there.
        self.assertEqual(commands[:2], ['pushd "%~dp0"', ".\\install.exe /install"])

    def test_packing_again_gives_the_same_bytes(self):
        with tempfile.TemporaryDirectory() as folder:
            # Copies with another time and other permissions than the originals.
            copies = []
            for index, (name, path) in enumerate(self.members):
                copy = os.path.join(folder, "input%d" % index)
                shutil.copyfile(path, copy)
                os.chmod(copy, 0o600 if index % 2 else 0o755)
                os.utime(copy, (1e9 + index, 1e9 + index))
                copies.append((name, copy))
            first = pack(os.path.join(folder, "first.zip"), copies)
            second = pack(os.path.join(folder, "second.zip"), copies)
        self.assertEqual(first, second)
        self.assertEqual(first, self.bytes)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--packer", required=True)
    parser.add_argument("package")
    parser.add_argument("members", nargs="+", help="NAME=FILE as given to the packer")
    ARGS, rest = parser.parse_known_args()
    program = unittest.main(argv=[sys.argv[0]] + rest, exit=False)
    return 0 if program.result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
