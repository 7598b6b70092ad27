#!/usr/bin/env python3
"""Checks a built Windows program file before release.

Reads the file with tools apart from the build (objdump, wrestool, icotool)
and decodes the version block here: the kind of program, its imports, the
icon "APPICON", the Czech version block and the manifest.
"""

import argparse
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

# The DLLs the programs may import: the Windows parts named by the programs'
# platform calls, and the C runtime that MinGW links against.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "advapi32.dll", "shell32.dll", "ole32.dll", "msvcrt.dll"}

FORMATS = {"i386": "pei-i386", "x86-64": "pei-x86-64"}
CZECH = 0x0405
WINDOWS_1250 = 1250
VFT_APP = 1

SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
}
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"


def run(*command):
    return subprocess.run(command, check=True, capture_output=True).stdout


def resource(args, kind, name):
    """The raw data of one resource, or None when the program lacks it."""
    listing = run(args.wrestool, "-l", args.program).decode()
    wanted = f"--type={kind} --name={name} "
    if not any(line.startswith(wanted) for line in listing.splitlines()):
        return None, listing
    return run(args.wrestool, "-x", "--raw", f"--type={kind}", f"--name={name}", args.program), listing


def check_program_kind(args):
    """A GUI program for the build's machine."""
    headers = run(args.objdump, "-p", args.program).decode()
    problems = []
    wanted = f"file format {FORMATS[args.machine]}"
    if wanted not in headers:
        problems.append(f"not '{wanted}'")
    subsystem = [line.split(None, 1)[1] for line in headers.splitlines() if line.startswith("Subsystem")]
    if subsystem != ["00000002\t(Windows GUI)"]:
        problems.append(f"subsystem {subsystem}, expected Windows GUI")
    return problems


def check_imports(args):
    """Only system DLLs are imported."""
    headers = run(args.objdump, "-p", args.program).decode()
    dlls = [line.split("DLL Name:")[1].strip() for line in headers.splitlines() if "DLL Name:" in line]
    print(f"  imports: {', '.join(dlls)}")
    if not any(dll.lower() == "kernel32.dll" for dll in dlls):
        return [f"no KERNEL32.dll among the imports {dlls}: objdump output not understood"]
    return [f"imports {dll}, not a system DLL" for dll in dlls if dll.lower() not in SYSTEM_DLLS]


def icon_images(ico):
    """The images of an .ico file: (width, height, data)."""
    reserved, kind, count = struct.unpack_from("<HHH", ico)
    if (reserved, kind) != (0, 1):
        raise ValueError("not an icon file")
    images = []
    for i in range(count):
        width, height, _, _, _, _, size, offset = struct.unpack_from("<BBBBHHII", ico, 6 + 16 * i)
        images.append((width or 256, height or 256, ico[offset : offset + size]))
    return images


def check_icon(args):
    """APPICON holds our 32x32 and 16x16 pictures at 4 bits a pixel."""
    group, listing = resource(args, 14, "'APPICON'")
    if group is None:
        return [f"no icon group APPICON in\n{listing}"]
    problems = []
    # icotool's view of the icon, independent of the reading below.
    extracted = run(args.wrestool, "-x", "--type=14", "--name=APPICON", args.program)
    with tempfile.NamedTemporaryFile(suffix=".ico") as scratch:
        scratch.write(extracted)
        scratch.flush()
        entries = sorted(run(args.icotool, "-l", scratch.name).decode().splitlines())
    expected = sorted(
        f"--icon --index={index} --width={size} --height={size} --bit-depth=4 --palette-size=16"
        for index, size in ((1, 32), (2, 16))
    )
    if entries != expected:
        problems.append(f"icotool lists {entries}, expected {expected}")
    # The program carries exactly the images that the build drew.
    with open(args.icon, "rb") as built:
        drawn = icon_images(built.read())
    if icon_images(extracted) != drawn:
        problems.append("the icon's images differ from the drawn icon " + args.icon)
    return problems


def align(offset):
    return (offset + 3) & ~3


def read_block(data, offset):
    """One node of a version block: (key, value bytes, children)."""
    length, value_length, text = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    key_end = offset + 6
    while data[key_end : key_end + 2] != b"\0\0":
        key_end += 2
    key = data[offset + 6 : key_end].decode("utf-16le")
    start = align(key_end + 2)
    # A text value's length counts UTF-16 units; a binary one's counts bytes.
    value = data[start : start + value_length * (2 if text else 1)]
    children = []
    child = align(start + len(value))
    while child < end:
        children.append(read_block(data, child))
        child = align(child + struct.unpack_from("<H", data, child)[0])
    return key, value, children


def encodes(text, encoding):
    try:
        text.encode(encoding)
        return True
    except UnicodeEncodeError:
        return False


def version_number(ms, ls):
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


def check_version(args):
    """The version block: fixed versions, Czech strings, the translation."""
    data, listing = resource(args, 16, 1)
    if data is None:
        return [f"no version block in\n{listing}"]
    problems = []
    if f"--type=16 --name=1 --language={CZECH} " not in listing:
        problems.append("the version block is not marked Czech")
    key, fixed, children = read_block(data, 0)
    if key != "VS_VERSION_INFO" or len(fixed) != 52:
        return [f"root '{key}' with {len(fixed)} bytes of fixed information"]
    fields = struct.unpack("<13I", fixed)
    if fields[0] != 0xFEEF04BD:
        problems.append(f"fixed information signature {fields[0]:#x}")
    for name, value, expected in (
        ("file version", version_number(fields[2], fields[3]), args.file_version),
        ("product version", version_number(fields[4], fields[5]), args.product_version),
        ("file type", fields[9], VFT_APP),
    ):
        if value != expected:
            problems.append(f"fixed {name} {value}, expected {expected}")

    blocks = {key: grandchildren for key, _, grandchildren in children}
    if sorted(blocks) != ["StringFileInfo", "VarFileInfo"]:
        problems.append(f"blocks {sorted(blocks)}")
    tables = {key: strings for key, _, strings in blocks.get("StringFileInfo", [])}
    if list(tables) != ["040504E2"]:
        problems.append(f"string tables {list(tables)}, expected 040504E2 only")
    strings = {}
    for name, value, _ in tables.get("040504E2", []):
        text = value.decode("utf-16le")
        if not text.endswith("\0"):
            problems.append(f"{name} lacks its ending zero")
        strings[name] = text.rstrip("\0")
    expected = dict(item.split("=", 1) for item in args.string)
    for name in sorted(set(strings) | set(expected)):
        if strings.get(name) != expected.get(name):
            problems.append(f"{name}: {strings.get(name)!r}, expected {expected.get(name)!r}")
        elif not encodes(strings[name], "cp1250"):
            problems.append(f"{name}: {strings[name]!r} has letters outside Windows-1250")
    translations = {key: value for key, value, _ in blocks.get("VarFileInfo", [])}
    if translations != {"Translation": struct.pack("<HH", CZECH, WINDOWS_1250)}:
        problems.append(f"translation {translations}, expected Czech, 1250")
    return problems


def check_manifest(args):
    """The manifest declares the program's execution level and Vista to Windows 11."""
    data, listing = resource(args, 24, 1)
    if data is None:
        return [f"no manifest with id 1 in\n{listing}"]
    root = ElementTree.fromstring(data)
    problems = []
    if root.tag != ASM_V1 + "assembly":
        problems.append(f"root element {root.tag}")
    levels = [element.attrib for element in root.iter(ASM_V3 + "requestedExecutionLevel")]
    if levels != [{"level": args.execution_level, "uiAccess": "false"}]:
        problems.append(f"execution levels {levels}")
    systems = {element.get("Id", "").lower() for element in root.iter(COMPATIBILITY + "supportedOS")}
    if systems != SUPPORTED_OS:
        problems.append(f"supported systems {sorted(systems)}, expected {sorted(SUPPORTED_OS)}")
    return problems


CHECKS = [check_program_kind, check_imports, check_icon, check_version, check_manifest]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--wrestool", required=True)
    parser.add_argument("--icotool", required=True)
    parser.add_argument("--machine", required=True, choices=sorted(FORMATS))
    parser.add_argument("--icon", required=True, help="the icon file the build drew")
    parser.add_argument("--execution-level", required=True, help="the level the manifest must request")
    parser.add_argument("--file-version", required=True, help="fixed file version a.b.c.d")
    parser.add_argument("--product-version", required=True, help="fixed product version a.b.c.d")
    parser.add_argument("--string", action="append", default=[], help="NAME=VALUE, every version string")
    parser.add_argument("program")
    args = parser.parse_args()

    failed = 0
    for check in CHECKS:
        problems = check(args)
        print(f"{'FAIL' if problems else 'ok'}  {check.__doc__}")
        for problem in problems:
            print(f"  {problem}")
        failed += bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
