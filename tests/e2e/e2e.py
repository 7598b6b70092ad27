#!/usr/bin/env python3
"""End-to-end cases: the viewer under Wine, every message box checked.

    e2e.py --build DIR --viewer EXE --year YEAR --texts FILE list       names of the cases
    e2e.py --build DIR --viewer EXE --year YEAR --texts FILE run CASE   runs one case

Needs a Wine session in DIR (tools/wine_env.sh start DIR). The box driver
reports each box's caption and text as Windows-1250 bytes in hex; they are
compared with bytes made here, the day's texts taken from the text source.
"""
import argparse
import json
import os
import re
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WINE_ENV = os.path.join(ROOT, "tools", "wine_env.sh")


def cp(text):
    return text.encode("cp1250")


def shown_text(line):
    """A text of the source as the viewer shows it: Windows-1250, with a
    no-break space between the book and the chapter of its reference."""
    reference = line.rindex(" (")
    return cp(line[:reference + 2] + line[reference + 2:].replace(" ", "\u00a0", 1))


def day_texts(source, day, month):
    """The two texts of a day from the text source, as Windows-1250 bytes.

    The source holds a line "D.M." and then the day's two texts, one a line;
    dates the year lacks have no entry and give two empty texts."""
    with open(source, encoding="utf-8") as f:
        lines = [line.rstrip("\r\n") for line in f if not line.startswith("#")]
    for i, line in enumerate(lines):
        if re.fullmatch(r"%d\.%d\." % (day, month), line.strip()):
            return shown_text(lines[i + 1]), shown_text(lines[i + 2])
    return b"", b""


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run_driver(build, today, program, parameters="", options=(), limit=60):
    """Runs the box driver on a program in an empty folder (no reminder file).

    Returns the driver's records and its exit code. Its output goes to a file:
    a Wine process it may start could hold a pipe open after it ends."""
    with tempfile.TemporaryDirectory(prefix="case-", dir=os.path.join(build, "e2e")) as work, \
            tempfile.TemporaryFile() as out:
        command = [WINE_ENV, "run", build, str(limit), "--date", today, "wine",
                   os.path.join(build, "e2e", "box_driver.exe"), "--cwd", windows_path(work),
                   *options, windows_path(program), parameters]
        code = subprocess.run(command, stdout=out, stdin=subprocess.DEVNULL, timeout=limit + 15).returncode
        out.seek(0)
        lines = out.read().decode("utf-8").splitlines()
    records = []
    for line in lines:
        try:
            records.append(json.loads(line))
        except ValueError:
            records.append({"event": "noise", "line": line})
    return records, code


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def show(record):
    shown = dict(record)
    for key in list(shown):
        if key.endswith("_cp1250"):
            del shown[key]
    return json.dumps(shown, ensure_ascii=False)


def check_run(records, code, boxes, exit_code=0):
    """Exactly the expected boxes, in order, and then the end of the program.

    boxes: (caption bytes, text bytes, owner, buttons, icon) each; owner is
    "shell" (the desktop shell's window, or none where there is none),
    "driver" (the driver's own window) or "none"."""
    for record in records:
        print(show(record))
    check(code == 0, "the driver failed (exit code %d)" % code)
    check(records and records[0]["event"] == "start", "the driver did not start the program")
    start = records[0]
    shell_owner = "progman" if start["progman"] else "none"
    seen = records[1:]
    check(seen and seen[-1]["event"] == "exit", "the program did not end")
    shown = seen[:-1]
    others = [r for r in shown if r["event"] != "box"]
    check(not others, "something other than a message box appeared: %s" % others)
    check(len(shown) == len(boxes), "%d boxes instead of %d" % (len(shown), len(boxes)))
    for number, (record, expected) in enumerate(zip(shown, boxes), 1):
        caption, text, owner, buttons, icon = expected
        owner = shell_owner if owner == "shell" else owner
        where = "box %d: " % number
        check(bytes.fromhex(record["caption_cp1250"]) == caption,
              where + "caption %r instead of %r" % (bytes.fromhex(record["caption_cp1250"]), caption))
        check(bytes.fromhex(record["text_cp1250"]) == text,
              where + "text %r instead of %r" % (bytes.fromhex(record["text_cp1250"]), text))
        check(not record.get("caption_unmappable") and not record.get("text_unmappable"),
              where + "characters outside Windows-1250 (wrong code page?)")
        check(record["owner"] == owner, where + "owner %s instead of %s" % (record["owner"], owner))
        check(record["buttons"] == buttons, where + "buttons %s instead of %s" % (record["buttons"], buttons))
        check(record["icon"] == icon, where + "icon %s instead of %s" % (record["icon"], icon))
    check(seen[-1]["code"] == exit_code, "exit code %d instead of %d" % (seen[-1]["code"], exit_code))


# A viewer case: its parameters, and a function of the run's arguments that
# gives the boxes expected. "{year}" and "{yy}" in parameters and captions
# stand for the edition's year, in full and in two digits.
def viewer_case(parameters, boxes, options=()):
    def run(args):
        records, code = run_driver(args.build, args.today, args.viewer, args.format(parameters), options)
        check_run(records, code, boxes(args))
    return run


def text_box(args, caption, text, owner="shell"):
    return (cp(args.format(caption)), text, owner, ["ok"], "none")


def two_boxes(caption, day, month, owner="shell"):
    def boxes(args):
        first, second = day_texts(args.texts, day, month)
        return [text_box(args, caption + " SZ", first, owner), text_box(args, caption + " NZ", second, owner)]
    return boxes


def combined_box(args):
    first, second = day_texts(args.texts, 5, 3)
    return [text_box(args, "Hesla 5.3.", first + b"\r\r" + second)]


def warning(parameter):
    return lambda args: [(cp("Ranoslov %d" % args.year), cp("Neplatný parametr:  ") + cp(parameter), "shell",
                          ["ok"], "warning")]


def empty_day(args):
    return [text_box(args, "Hesla 30.2.{year} SZ", b""), text_box(args, "Hesla 30.2.{year} NZ", b"")]


# The driver checked against a program whose boxes are known.
FIXTURE_BOXES = [
    (cp("Otázka"), cp("Příliš žluťoučký kůň úpěl ďábelské ódy?\r\r„Šťastný“ (1.Mojž\u00a01,1)"), "none",
     ["yes", "no"], "question"),
    (cp("Chyba"), cp("Soubor nelze otevřít."), "none", ["ok"], "error"),
    (cp("Varování"), cp("Neplatný parametr:   x"), "none", ["ok"], "warning"),
    (cp("Informace"), cp("Hotovo."), "none", ["ok"], "information"),
    (b"", b"", "none", ["ok"], "none"),
]


def fixture(args):
    return os.path.join(args.build, "e2e", "box_fixture.exe")


def driver_reads_boxes(args):
    records, code = run_driver(args.build, args.today, fixture(args), "", ["--answers", "no"])
    # The fixture's exit code holds the answers: No (7), then OK (1) four times.
    check_run(records, code, FIXTURE_BOXES, exit_code=0x71111)


def driver_reports_other_windows(args):
    records, code = run_driver(args.build, args.today, fixture(args), "window")
    for record in records:
        print(show(record))
    check(code == 0, "the driver failed (exit code %d)" % code)
    events = [r["event"] for r in records]
    check(events == ["start", "window", "box", "exit"], "events %s" % events)


def driver_stops_a_hang(args):
    started = time.monotonic()
    records, code = run_driver(args.build, args.today, fixture(args), "hang", ["--step-timeout", "2000"])
    took = time.monotonic() - started
    for record in records:
        print(show(record))
    check(code == 2, "exit code %d instead of 2" % code)
    check(records[-1]["event"] == "error", "no error reported")
    check(took < 30, "took %.1f s" % took)


CASES = {
    "no_parameters": viewer_case("", two_boxes("Hesla 5.3.", 5, 3)),
    "combined": viewer_case("+", combined_box),
    "full_date": viewer_case("24.12.{year}", two_boxes("Hesla 24.12.{year}", 24, 12)),
    "date_in_three_words": viewer_case("24 12 {yy}", two_boxes("Hesla 24.12.{year}", 24, 12)),
    "day_only": viewer_case("15", two_boxes("Hesla 15.3.{year}", 15, 3)),
    "date_without_texts": viewer_case("30.2.{year}", empty_day),
    "invalid_phrase": viewer_case("abc", warning(" abc")),
    "owner_own_window": viewer_case("@{OWNER}", two_boxes("Hesla 5.3.", 5, 3, "driver"), ["--owner-window"]),
    # A number that names no window: the boxes fall back to the shell's window.
    "owner_no_window": viewer_case("@2147483646", two_boxes("Hesla 5.3.", 5, 3)),
    "driver_reads_boxes": driver_reads_boxes,
    "driver_reports_other_windows": driver_reports_other_windows,
    "driver_stops_a_hang": driver_stops_a_hang,
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--viewer", required=True, help="the viewer program")
    parser.add_argument("--year", required=True, type=int, help="the year the viewer carries")
    parser.add_argument("--texts", required=True, help="the text source of that year")
    parser.add_argument("action", choices=["list", "run"])
    parser.add_argument("case", nargs="?")
    args = parser.parse_args()
    args.build = os.path.abspath(args.build)
    # Every case runs on 5 March of the viewer's year.
    args.today = "%d-03-05 12:00:00" % args.year
    args.format = lambda text: text.replace("{year}", str(args.year)).replace("{yy}", "%02d" % (args.year % 100))
    if args.action == "list":
        print(";".join(CASES))
        return 0
    try:
        CASES[args.case](args)
    except Failure as failure:
        print("FAILED: %s" % failure)
        return 1
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
