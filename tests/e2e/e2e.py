#!/usr/bin/env python3
"""End-to-end cases: the viewer under Wine, every message box checked.

    e2e.py --build DIR --viewer EXE --year YEAR --texts FILE list       names of the cases
    e2e.py --build DIR --viewer EXE --year YEAR --texts FILE run CASE   runs one case

Needs a Wine session in DIR (tools/wine_env.sh start DIR). The box driver
reports each box's caption and text as Windows-1250 bytes in hex; they are
compared with bytes made here, the day's texts taken from the text source.
"""
import argparse
import contextlib
import datetime
import json
import os
import re
import shutil
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


def run_driver(build, today, program, parameters="", options=(), limit=60, folder=None):
    """Runs the box driver on a program in the host folder `folder`, or in an
    empty one (no reminder file). `program` is a host path, or a Windows path
    when it begins with a drive.

    Returns the driver's records and its exit code. Its output goes to a file:
    a Wine process it may start could hold a pipe open after it ends."""
    with tempfile.TemporaryDirectory(prefix="case-", dir=os.path.join(build, "e2e")) as work, \
            tempfile.TemporaryFile() as out:
        program = program if re.match(r"[A-Za-z]:\\", program) else windows_path(program)
        command = [WINE_ENV, "run", build, str(limit), "--date", today, "wine",
                   os.path.join(build, "e2e", "box_driver.exe"), "--cwd", windows_path(folder or work),
                   *options, program, parameters]
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
# stand for the edition's year, in full and in two digits, "{next}" for the
# year after it.
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


def driver_follows_children(args):
    """The fixture ends after its box; the process it started ends at once,
    and that one's child shows a box afterwards."""
    records, code = run_driver(args.build, args.today, fixture(args), "spawn", ["--follow-children"])
    kept, processes = split(records, "process", "process_exit")
    check_run(kept, code, [(cp("Rodič"), cp("Rodič"), "none", ["ok"], "none"),
                           (cp("Potomek"), cp("Potomek"), "none", ["ok"], "information")])
    program, first, second, end = kept[0]["pid"], kept[1], kept[2], kept[-1]
    check(first["pid"] == program and second["pid"] != program,
          "boxes of pids %d and %d, program %d" % (first["pid"], second["pid"], program))
    check(first["process_utf8"] == second["process_utf8"] == "box_fixture.exe", "image names of the boxes")
    check(second["elapsed_ms"] > end["elapsed_ms"], "the second box came before the program ended")
    ends = [r for r in processes if r["event"] == "process_exit" and r["pid"] == second["pid"]]
    check(len(ends) == 1 and ends[0]["code"] == 3, "the end of the late process: %s" % ends)
    check(end["all_ended_ms"] >= ends[0]["elapsed_ms"], "the driver ended before the late process")


def split(records, *events):
    """The records without the given events, and those events."""
    return ([r for r in records if r["event"] not in events], [r for r in records if r["event"] in events])


# Reminders. The weekday names, indexed from Sunday as the system counts, and
# the abbreviations the reminder file uses.
WEEKDAY_NAMES = ["Neděle", "Pondělí", "Úterý", "Středa", "Čtvrtek", "Pátek", "Sobota"]
ABBREVIATIONS = ["NE", "PO", "UT", "ST", "CT", "PA", "SO"]
UNDATED = "[uzel na kapesníku]"


def weekday(year, month, day):
    return (datetime.date(year, month, day).weekday() + 1) % 7


def clock(year, month, day):
    return "%04d-%02d-%02d 08:00:00" % (year, month, day)


@contextlib.contextmanager
def reminder_folder(args, lines=(), ends=("\r\n",), tail=b""):
    """A folder (host path) with a DIAR.TXT of the lines, in Windows-1250,
    their line ends taken in turn from `ends`, then the bytes `tail`."""
    with tempfile.TemporaryDirectory(prefix="case-", dir=os.path.join(args.build, "e2e")) as folder:
        data = b"".join(cp(line) + cp(ends[i % len(ends)]) for i, line in enumerate(lines)) + tail
        with open(os.path.join(folder, "DIAR.TXT"), "wb") as f:
            f.write(data)
        yield folder


def reminder_boxes(lines):
    """The boxes that the (line, box) pairs give, in file order."""
    return [(cp(box[0]), cp(box[1]), "shell", ["ok"], "none") for _, box in lines if box]


def each_kind_of_line(year):
    """A line of each kind, with the box it gives on 24.12. of the year."""
    today = weekday(year, 12, 24)
    mine, other, name = ABBREVIATIONS[today], ABBREVIATIONS[(today + 2) % 7], WEEKDAY_NAMES[today]
    yy = "%02d" % (year % 100)
    return [
        ("; Moje připomínky", None),
        ("   ; odsazená poznámka", None),
        ("", None),
        ("     ", None),
        (mine + " úklid", (name, "úklid")),
        (mine.lower() + "  zalít květiny", (name, " zalít květiny")),
        (mine, (name, "")),
        (other + " nakoupit", None),
        # A weekday line is never read as a date.
        (other + " 24.12. Vánoce", None),
        # "E", blank, "P" is a weekday (Sunday), not an undated line.
        ("E Praha", ("Neděle", "raha") if today == 0 else None),
        ("PONDĚLÍ celý den", (UNDATED, "PONDĚLÍ celý den")),
        ("24.12. Vánoce", ("24.12. ", "Vánoce")),
        ("24 Výplata", ("24 ", "Výplata")),
        ("24.12.%s Štědrý den" % yy, ("24.12.%s " % yy, "Štědrý den")),
        ("24.12.%d Večeře" % year, ("24.12.%d " % year, "Večeře")),
        ("24.12.%d příští rok" % (year + 1), None),
        ("25.12. Boží hod", None),
        ("23 Výplata", None),
        ("24.12.", ("24.12", ".")),
        ("Zavolat mámě", (UNDATED, "Zavolat mámě")),
        ("\t; s tabulátorem", (UNDATED, "\t; s tabulátorem")),
        ("255 x", (UNDATED, "x")),
        ("  odsazená", (UNDATED, "odsazená")),
        ("Ctrl-Z \x1a uvnitř", (UNDATED, "Ctrl-Z \x1a uvnitř")),
    ]


def reminders_of_each_kind(args):
    """Every kind of line on 24.12. with CR LF, LF and CR line ends in turn; a
    Ctrl-Z at the start of a line ends the file."""
    lines = each_kind_of_line(args.year)
    with reminder_folder(args, [line for line, _ in lines], ("\r\n", "\n", "\r"),
                         b"\x1a" + cp("Nezobrazit\r\nZavolat mámě\r\n")) as folder:
        records, code = run_driver(args.build, clock(args.year, 12, 24), args.viewer, folder=folder)
    check_run(records, code, two_boxes("Hesla 24.12.", 24, 12)(args) + reminder_boxes(lines))


def reminders_of_another_date(args):
    """The date asked for on the command line decides the dated lines, the
    clock (the next day) the weekday lines. CR line ends; the last line has
    none."""
    today, shown = weekday(args.year, 12, 25), weekday(args.year, 12, 24)
    lines = [
        (ABBREVIATIONS[today] + " dnes", (WEEKDAY_NAMES[today], "dnes")),
        (ABBREVIATIONS[shown] + " včera", None),
        ("24.12. Vánoce", ("24.12. ", "Vánoce")),
        ("25.12. Boží hod", None),
        ("25 Výplata", None),
        ("Zavolat mámě", (UNDATED, "Zavolat mámě")),
    ]
    texts = [line for line, _ in lines]
    with reminder_folder(args, texts[:-1], ("\r",), cp(texts[-1])) as folder:
        records, code = run_driver(args.build, clock(args.year, 12, 25), args.viewer, args.format("24.12.{year}"),
                                   folder=folder)
    check_run(records, code, two_boxes("Hesla 24.12.{year}", 24, 12)(args) + reminder_boxes(lines))


# ERROR_SHARING_VIOLATION, from file_access_probe: the read error times 65536
# plus the write error.
SHARING_VIOLATION = 32


def reminder_file_sharing(args):
    """While a reminder box is open, another program can read DIAR.TXT but
    can't open it for writing; before the reminders and after the last box
    it can do both."""
    today = weekday(args.year, 12, 24)
    lines = [("Zavolat mámě", (UNDATED, "Zavolat mámě")),
             (ABBREVIATIONS[today] + " úklid", (WEEKDAY_NAMES[today], "úklid"))]
    probe = windows_path(os.path.join(args.build, "e2e", "file_access_probe.exe")) + " DIAR.TXT"
    with reminder_folder(args, [line for line, _ in lines]) as folder:
        options = []
        for box in (2, 3, 4):
            options += ["--at-box", str(box), probe]
        records, code = run_driver(args.build, clock(args.year, 12, 24), args.viewer, options=options, folder=folder)
        kept, commands = split(records, "command")
        check_run(kept, code, two_boxes("Hesla 24.12.", 24, 12)(args) + reminder_boxes(lines))
        for command in commands:
            print(show(command))
        outcomes = [(c["box"], c["code"] >> 16, c["code"] & 0xFFFF) for c in commands]
        check(outcomes == [(2, 0, 0), (3, 0, SHARING_VIOLATION), (4, 0, SHARING_VIOLATION)],
              "(box, read error, write error) %s" % outcomes)
        after = subprocess.run([WINE_ENV, "run", args.build, "60", "wine", probe.split(" ")[0],
                                windows_path(os.path.join(folder, "DIAR.TXT"))],
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, timeout=75).returncode
        check(after == 0, "after the run: read error %d, write error %d" % (after >> 16, after & 0xFFFF))


def reminders_in_a_large_file(args):
    """A DIAR.TXT of some MB: a line of 2 MB, a line of 20 000 characters
    across a 64 KiB boundary, 150 000 short lines; the lines that apply are
    all shown and the run ends normally."""
    today = weekday(args.year, 12, 24)
    data = bytearray(cp(ABBREVIATIONS[today] + " začátek\r\n"))
    data += cp("23.12. ") + b"x" * 2000000 + b"\r\n"
    data += cp("24.12. po dlouhém řádku\n")
    long_text = "Dlouhá " + "připomínka " * 1818
    # Up to 10 000 bytes before the next 64 KiB boundary.
    filler = (-len(data) - 10000) % 65536
    data += cp("1.1. ") + b"-" * (filler - 7) + b"\r\n" if filler >= 7 else b"\n" * filler
    data += cp(long_text) + b"\r\n"
    for i in range(150000):
        data += cp("1.1. nic") + (b"\r\n", b"\n", b"\r")[i % 3]
        if i == 75000:
            data += cp(ABBREVIATIONS[today] + " uprostřed\r\n")
    data += cp("Konec")
    with tempfile.TemporaryDirectory(prefix="case-", dir=os.path.join(args.build, "e2e")) as folder:
        with open(os.path.join(folder, "DIAR.TXT"), "wb") as f:
            f.write(data)
        print("DIAR.TXT: %d bytes" % len(data))
        records, code = run_driver(args.build, clock(args.year, 12, 24), args.viewer, folder=folder)
    name = WEEKDAY_NAMES[today]
    check_run(records, code, two_boxes("Hesla 24.12.", 24, 12)(args) + reminder_boxes([
        (None, (name, "začátek")), (None, ("24.12. ", "po dlouhém řádku")), (None, (UNDATED, long_text)),
        (None, (name, "uprostřed")), (None, (UNDATED, "Konec"))]))


# Other years.
def year_viewer_name(year):
    return "RS.EXE" if year == 2001 else "RS%d.EXE" % (year - 2000)


# A folder whose path holds blanks, in the prefix's drive C:. Wine puts
# quotes around a program path with blanks that it had to search for, so the
# stand-in's command line shows no missing quotes there. What does show them:
# the system then tries the path up to each blank as a program first, and
# starts a program it finds there, the decoy, instead.
FOLDER_WITH_BLANKS = "C:\\Program Files\\Ranoslov test"
DECOY = "C:\\Program Files\\Ranoslov.exe"


def prefix_path(args, path):
    """The host path of a path on the prefix's drive C:."""
    return os.path.join(args.build, "wine", "prefix", "drive_c", *path[3:].split("\\"))


@contextlib.contextmanager
def viewer_folder(args, where, extra):
    """A copy of the viewer in a folder of its own: a new folder in the build
    folder ("build") or FOLDER_WITH_BLANKS with the decoy ("blanks"), with
    the programs of `extra` (name: host path of the program) beside it.
    Gives the host path and the Windows path of the folder."""
    made = []
    if where == "blanks":
        host = prefix_path(args, FOLDER_WITH_BLANKS)
        shutil.rmtree(host, ignore_errors=True)
        os.makedirs(host)
        folder = (host, FOLDER_WITH_BLANKS)
        decoy = prefix_path(args, DECOY)
        shutil.copy(os.path.join(args.build, "e2e", "command_line_probe.exe"), decoy)
        made += [decoy, decoy + ".txt"]
    else:
        host = tempfile.mkdtemp(prefix="viewer-", dir=os.path.join(args.build, "e2e"))
        folder = (host, windows_path(host))
    try:
        shutil.copy(args.viewer, host)
        for name, program in extra.items():
            shutil.copy(program, os.path.join(host, name))
        yield folder
    finally:
        shutil.rmtree(host, ignore_errors=True)
        for path in made:
            if os.path.exists(path):
                os.remove(path)


def year_viewer_started(parameters, year, words, where="build", today=None, options=()):
    """A stand-in for the year's viewer lies beside the viewer: it is started
    with its quoted path, a blank and a blank before each date word, in the
    viewer's current folder; the viewer shows nothing, not even reminders.
    `year` and `today` are formatted like the parameters."""
    def run(args):
        name = year_viewer_name(int(args.format(year)))
        passed = [args.format(word) for word in words]
        stand_in = os.path.join(args.build, "e2e", "command_line_probe.exe")
        with viewer_folder(args, where, {name: stand_in}) as (host, folder), \
                reminder_folder(args, ["Zavolat mámě"]) as work:
            viewer = folder + "\\" + os.path.basename(args.viewer)
            records, code = run_driver(args.build, args.format(today) if today else args.today, viewer,
                                       args.format(parameters), ["--follow-children", *options], folder=work)
            kept, _ = split(records, "process", "process_exit")
            check_run(kept, code, [])
            decoy_report = prefix_path(args, DECOY) + ".txt"
            check(not os.path.exists(decoy_report), "the decoy %s was started" % DECOY)
            report = os.path.join(host, name + ".txt")
            check(os.path.exists(report), "%s was not started" % name)
            with open(report, "rb") as f:
                received = f.read().split(b"\n")
        expected = cp('"%s\\%s" ' % (folder, name) + "".join(" " + word for word in passed))
        print("%s received %r, current folder %r" % (name, received[0], received[1]))
        check(received[0] == expected, "command line %r instead of %r" % (received[0], expected))
        check(received[1] == cp(windows_path(work)), "current folder %r" % received[1])
        parameters_received = [line[5:] for line in received[2:] if line.startswith(b"word:")]
        check(parameters_received == [cp(word) for word in passed], "parameters %r" % parameters_received)
    return run


def question(args, year):
    text = ("Ranoslov pro rok %d nejsou nainstalována. Mám příslušný instalační soubor stáhnout z\u00a0Internetu?"
            % year)
    return (cp("Ranoslov %d" % args.year), cp(text), "shell", ["yes", "no"], "question")


def viewer_warning(args, text):
    return (cp("Ranoslov %d" % args.year), cp(text), "shell", ["ok"], "warning")


def download_lines(year):
    """Reminder lines for 1.1. of a year, run on 5.3. of the viewer's year."""
    today = weekday(year + 1, 3, 5)
    return [("1.1. Nový rok", ("1.1. ", "Nový rok")), ("2.1. Den poté", None),
            ("Zavolat mámě", (UNDATED, "Zavolat mámě")),
            (ABBREVIATIONS[today] + " úklid", (WEEKDAY_NAMES[today], "úklid"))]


HTTP_HANDLER = r"HKLM\Software\Classes\http\shell\open\command"


def wine_command(args, *command):
    return subprocess.run([WINE_ENV, "run", args.build, "60", "wine", *command], stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, timeout=75).returncode


@contextlib.contextmanager
def missing_web_browser(args):
    """Points the prefix's handler of http addresses at a missing program, so
    that the shell fails to open any web page; restores it afterwards."""
    with tempfile.TemporaryDirectory(dir=os.path.join(args.build, "e2e")) as saved:
        export = windows_path(os.path.join(saved, "http.reg"))
        check(wine_command(args, "reg", "export", HTTP_HANDLER, export, "/y") == 0, "cannot save " + HTTP_HANDLER)
        try:
            check(wine_command(args, "reg", "add", HTTP_HANDLER, "/ve", "/d", '"C:\\nikde\\prohlizec.exe" "%1"',
                               "/f") == 0, "cannot change " + HTTP_HANDLER)
            yield
        finally:
            wine_command(args, "reg", "import", export)


def download_offer(answer):
    """A date of the year before, whose viewer is missing: the question, and
    after either answer the reminders of that date. Yes with a failing web
    browser gives the warning first."""
    def run(args):
        year = args.year - 1
        lines = download_lines(year)
        expected = [question(args, year)]
        if answer == "yes":
            expected.append(viewer_warning(args, "Webovou stránku se bohužel nepovedlo otevřít\u2026"))
        expected += reminder_boxes(lines)
        with reminder_folder(args, [line for line, _ in lines]) as folder, \
                (missing_web_browser(args) if answer == "yes" else contextlib.nullcontext()):
            records, code = run_driver(args.build, args.today, args.viewer, "1.1.%d" % year, ["--answers", answer],
                                       folder=folder)
        check_run(records, code, expected)
    return run


def year_before_2001(args):
    """The warning, and no reminders even where some apply."""
    with reminder_folder(args, ["Zavolat mámě", "1.1. Nový rok"]) as folder:
        records, code = run_driver(args.build, args.today, args.viewer, "1.1.1999", folder=folder)
    check_run(records, code, [viewer_warning(
        args, "Ranoslov pro rok 1999 nejsou a nebudou, ptejte se prosím v\u00a0roce 2001. :-)")])


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
    "driver_follows_children": driver_follows_children,
    "reminders_of_each_kind": reminders_of_each_kind,
    "reminders_of_another_date": reminders_of_another_date,
    "reminder_file_sharing": reminder_file_sharing,
    "reminders_in_a_large_file": reminders_in_a_large_file,
    "next_year_viewer": year_viewer_started("1.1.{next}", "{next}", ["1.1.{next}"]),
    "next_year_viewer_in_folder_with_blanks": year_viewer_started("1.1.{next}", "{next}", ["1.1.{next}"], "blanks"),
    # Only the date words are passed on, not "+" nor the owner.
    "next_year_viewer_date_words_only": year_viewer_started("+ @{OWNER} 1 1 {next}", "{next}", ["1", "1", "{next}"],
                                                            "blanks", options=["--owner-window"]),
    "next_year_viewer_by_the_clock": year_viewer_started("", "{next}", [], today="{next}-03-05 12:00:00"),
    "viewer_of_2001": year_viewer_started("1.1.2001", "2001", ["1.1.2001"]),
    "download_offer_declined": download_offer("no"),
    "download_page_fails": download_offer("yes"),
    "year_before_2001": year_before_2001,
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
    args.format = lambda text: text.replace("{year}", str(args.year)).replace("{yy}", "%02d" % (args.year % 100)) \
        .replace("{next}", str(args.year + 1))
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
