#!/usr/bin/env python3
"""The distribution zip end to end under Wine, as a user meets it.

    e2e_package.py --work DIR --package ZIP --driver BOX_DRIVER.EXE --texts TEXTS --manual MANUAL.TXT

In a Wine session of its own with a fresh prefix (in DIR): the package is
unpacked into a folder whose path holds blanks and Czech letters; its starter,
run by the command interpreter from another folder, starts the installer,
which installs; the installation is checked (files, removal log, shortcuts,
Uninstall entry); the installed viewer shows the manual's example reminders
as the manual says; the system's uninstaller runs the registered uninstall
command, which removes everything again; after a restart the files left for
it are gone too, and only the user's reminders remain. The box driver follows
every process started, so each box is checked with the program that shows it.
"""
import argparse
import contextlib
import fcntl
import io
import json
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
from e2e import Failure, check, check_run, cp, day_texts, show, split  # noqa: E402

WINE_ENV = os.path.join(ROOT, "tools", "wine_env.sh")
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ranoslov"
SESSION_MANAGER_KEY = r"HKLM\System\CurrentControlSet\Control\Session Manager"
SHELL_FOLDERS_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"
INSTALL_CAPTION = "Instalace programu Ranoslov"
UNINSTALL_CAPTION = "Odinstalace programu Ranoslov"
COMMAND_INTERPRETER = "C:\\windows\\system32\\cmd.exe"
# Runs the command of an Uninstall entry as the Control Panel does.
SYSTEM_UNINSTALLER = "C:\\windows\\system32\\uninstaller.exe"
# Where the user unpacks the package, and keeps the reminders (as the manual
# suggests): folders with blanks and Czech letters.
PACKAGE_FOLDER = "C:\\Stažené soubory\\Ranoslov2007"
REMINDER_FOLDER = "C:\\Poznámky"
INSTALL_FOLDER = "C:\\Program Files\\Ranoslov"
# Monday 24 December 2007: every kind of line in the manual's example applies
# or not as the manual says.
REMINDER_DAY = "2007-12-24 08:00:00"
# Each line of the manual's example of DIAR.TXT and the box the manual says it
# gives on that day (caption, text), or None.
MANUAL_EXAMPLE_BOXES = {
    "; Moje připomínky pro Ranoslov": None,
    "PO úklid": ("Pondělí", "úklid"),
    "ST Zalít květiny": None,
    "24.12. Vánoce": ("24.12. ", "Vánoce"),
    "24.12.2007 Vánoce u babičky": ("24.12.2007 ", "Vánoce u babičky"),
    "24 Výplata": ("24 ", "Výplata"),
    "Zavolat mámě": ("[uzel na kapesníku]", "Zavolat mámě"),
}


@contextlib.contextmanager
def one_run_at_a_time(work):
    """Holds the work folder for this run. Another run in the same folder
    would remove the prefix under this run's session before its session start
    waits for this one; it waits here instead. The lock goes with the process."""
    with open(os.path.join(work, "run.lock"), "w") as lock:
        try:
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except BlockingIOError:
            print("waiting for another run in %s" % work, flush=True)
            fcntl.flock(lock, fcntl.LOCK_EX)
        yield


class Session:
    """A Wine session in its own folder, with a prefix made anew."""

    def __init__(self, work):
        self.work = work
        self.drive = os.path.join(work, "wine", "prefix", "drive_c")

    def start(self):
        shutil.rmtree(os.path.join(self.work, "wine", "prefix"), ignore_errors=True)
        subprocess.run([WINE_ENV, "start", self.work], check=True, timeout=300, stdin=subprocess.DEVNULL)

    def stop(self):
        subprocess.run([WINE_ENV, "stop", self.work], timeout=120, stdin=subprocess.DEVNULL)

    def restart(self):
        """As a restart of Windows: every process ends, the session starts
        again on the same prefix and does what was left for the next start."""
        self.stop()
        subprocess.run([WINE_ENV, "start", self.work], check=True, timeout=300, stdin=subprocess.DEVNULL)

    def host_path(self, windows_path):
        check(windows_path[:3].upper() == "C:\\", "not on drive C: %s" % windows_path)
        return os.path.join(self.drive, *windows_path[3:].split("\\"))

    def run(self, limit, *command, date=None, encoding="utf-8"):
        """A command in the session; its output as text. Output goes to a file:
        a Wine process it starts could hold a pipe open after it ends."""
        dated = ["--date", date] if date else []
        with tempfile.TemporaryFile() as out:
            code = subprocess.run([WINE_ENV, "run", self.work, str(limit), *dated, "wine", *command], stdout=out,
                                  stdin=subprocess.DEVNULL, timeout=limit + 15).returncode
            out.seek(0)
            return code, out.read().decode(encoding, "replace")

    def drive_boxes(self, driver, folder, program, parameters="", answers=None, date=None, follow=False):
        """The box driver on a program (and with `follow` on every process it
        starts); its records and exit code."""
        options = ["--cwd", folder] + (["--answers", answers] if answers else []) + \
            (["--follow-children"] if follow else [])
        code, output = self.run(90, driver, *options, program, *([parameters] if parameters else []), date=date)
        records = []
        for line in output.splitlines():
            try:
                records.append(json.loads(line))
            except ValueError:
                records.append({"event": "noise", "line": line})
        return records, code

    def registry(self, key, value=None):
        """The lines of "reg query" for a key (and value), or None when absent.
        Its output is in the OEM code page of the Czech locale."""
        code, output = self.run(60, "reg", "query", key, *(["/v", value] if value else []), encoding="cp852")
        return output.splitlines() if code == 0 else None

    def registry_value(self, key, value, default=None):
        """The data of a value as "reg query" shows it; `default` when the
        value is absent, if given."""
        for line in self.registry(key, value) or []:
            parts = line.strip().split("    ")
            if len(parts) == 3 and parts[0] == value:
                return parts[2]
        if default is None:
            raise Failure("no value %s in %s" % (value, key))
        return default

    def deletions_at_restart(self):
        """The files to be deleted at the next start of Windows."""
        value = self.registry_value(SESSION_MANAGER_KEY, "PendingFileRenameOperations", "")
        if not value:
            return []
        # Pairs of existing and new name; a deletion has an empty new name.
        names = value.split("\\0")
        names += [""] * (len(names) % 2)
        pairs = list(zip(names[0::2], names[1::2]))
        check(all(old.startswith("\\??\\") and not new for old, new in pairs), "not deletions: %s" % pairs)
        return sorted(old[4:] for old, _ in pairs)

    def temporary_folder(self):
        code, output = self.run(60, "cmd", "/c", "echo %TMP%")
        check(code == 0, "cannot ask for the temporary folder")
        return output.strip().rstrip("\\")


def box(caption, text, buttons, icon):
    return (cp(caption), cp(text), "none", buttons, icon)


def check_followed(records, code, boxes, chain):
    """check_run on the records of a followed run. boxes: (image name, box)
    each, the program that shows it and the box; chain: the image names of the
    processes that show them, each started by the one before it (the first by
    the started program), each started once and ended with exit code 0.
    Other processes (the system's own) are let be."""
    for record in records:
        print(show(record))
    kept, processes = split(records, "process", "process_exit")
    with contextlib.redirect_stdout(io.StringIO()):  # printed above, in order
        check_run(kept, code, [expected for _, expected in boxes])
    started = [r for r in processes if r["event"] == "process"]
    ended = {r["pid"]: r["code"] for r in processes if r["event"] == "process_exit"}
    parent, pids = kept[0]["pid"], {}
    for image in chain:
        found = [r["pid"] for r in started if r["image_utf8"] == image and r["parent_pid"] == parent]
        check(len(found) == 1, "%s started %d times by process %d" % (image, len(found), parent))
        parent = pids[image] = found[0]
        check(ended.get(parent) == 0, "%s ended with exit code %s" % (image, ended.get(parent)))
    for number, ((image, _), record) in enumerate(zip(boxes, kept[1:-1]), 1):
        check(record["pid"] == pids[image],
              "box %d shown by %s instead of %s" % (number, record["process_utf8"], image))


def manual_example(manual):
    """The manual's example of DIAR.TXT: the example block with a weekday line."""
    blocks, current = [], None
    with open(manual, encoding="utf-8") as f:
        for line in f.read().split("\n"):
            if line.startswith("|"):
                if current is None:
                    current = []
                    blocks.append(current)
                current.append(line[2:])
            else:
                current = None
    found = [block for block in blocks if any(line.startswith("PO ") for line in block)]
    check(len(found) == 1, "the manual has %d examples of DIAR.TXT" % len(found))
    return found[0]


def lnk_info(path):
    return subprocess.run(["lnkinfo", path], capture_output=True, text=True, check=True).stdout


def check_shortcut(path, target):
    check(os.path.isfile(path), "no shortcut %s" % path)
    info = lnk_info(path)
    check("Local path\t\t\t: %s\n" % target in info, "%s does not point to %s:\n%s" % (path, target, info))
    # No working directory: the manual tells the user to fill one in.
    check("working directory" not in info.lower(), "%s sets a working directory:\n%s" % (path, info))


def install(session, args):
    """The user unpacks the package and runs its starter. The command
    interpreter runs it from another folder; the starter starts the installer
    in the package's folder, which takes its files from there."""
    folder = session.host_path(PACKAGE_FOLDER)
    os.makedirs(folder)
    with zipfile.ZipFile(args.package) as archive:
        archive.extractall(folder)
    records, code = session.drive_boxes(args.driver, "C:\\windows", COMMAND_INTERPRETER,
                                        '/c "%s\\INSTALUJ.BAT"' % PACKAGE_FOLDER, answers="yes,ok", follow=True)
    check_followed(records, code, [
        ("INSTALL.EXE", box(INSTALL_CAPTION, "Chcete vytvořit zástupce programu Ranoslov ve složce „Po spuštění“?",
                            ["yes", "no"], "none")),
        ("INSTALL.EXE", box(INSTALL_CAPTION, "Instalace úspěšně dokončena.", ["ok"], "none")),
    ], ["INSTALL.EXE"])


def check_installation(session, args):
    with zipfile.ZipFile(args.package) as archive:
        shipped = {name: archive.read(name) for name in archive.namelist()}
    installed = session.host_path(INSTALL_FOLDER)
    names = sorted(os.listdir(installed))
    check(names == ["REMOVE.DAT", "REMOVE.EXE", "RS7.EXE", "RS7.RTF"], "installed: %s" % names)
    for name, shipped_name in [("RS7.EXE", "RS7.EXE"), ("RS7.RTF", "RS7.RTF"), ("REMOVE.EXE", "INSTALL.EXE")]:
        with open(os.path.join(installed, name), "rb") as f:
            check(f.read() == shipped[shipped_name], "%s differs from the package's %s" % (name, shipped_name))
    left = sorted(os.listdir(session.host_path(PACKAGE_FOLDER)))
    check(left == ["INSTALL.EXE", "INSTALUJ.BAT"], "left in the package's folder: %s" % left)

    programs = session.registry_value(SHELL_FOLDERS_KEY, "Programs")
    startup = session.registry_value(SHELL_FOLDERS_KEY, "Startup")
    menu = programs + "\\Ranoslov"
    expected_log = [
        "D" + INSTALL_FOLDER,
        "F" + INSTALL_FOLDER + "\\REMOVE.DAT",
        "F" + INSTALL_FOLDER + "\\REMOVE.EXE",
        "F" + INSTALL_FOLDER + "\\RS7.EXE",
        "F" + INSTALL_FOLDER + "\\RS7.RTF",
        "D" + menu,
        "F" + menu + "\\ Ranoslov.lnk",
        "F" + menu + "\\Něco jako manuál.lnk",
        "F" + startup + "\\Ranoslov.lnk",
    ]
    with open(os.path.join(installed, "REMOVE.DAT"), "rb") as f:
        log = f.read()
    check(log == cp("".join(line + "\r\n" for line in expected_log)), "REMOVE.DAT holds %r" % log)

    check_shortcut(session.host_path(menu + "\\ Ranoslov.lnk"), INSTALL_FOLDER + "\\RS7.EXE")
    check_shortcut(session.host_path(menu + "\\Něco jako manuál.lnk"), INSTALL_FOLDER + "\\RS7.RTF")
    check_shortcut(session.host_path(startup + "\\Ranoslov.lnk"), INSTALL_FOLDER + "\\RS7.EXE")

    check(session.registry_value(UNINSTALL_KEY, "DisplayName") == "Ranoslov", "DisplayName")
    uninstall = session.registry_value(UNINSTALL_KEY, "UninstallString")
    check(uninstall.strip('"') == INSTALL_FOLDER + "\\REMOVE.EXE", "UninstallString %r" % uninstall)
    for value in ("NoModify", "NoRepair"):
        check(session.registry_value(UNINSTALL_KEY, value) == "0x1", value)
    # The installer in the package's folder goes at the next start of Windows.
    pending = session.deletions_at_restart()
    check(pending == [PACKAGE_FOLDER + "\\INSTALL.EXE"], "to be deleted at restart: %s" % pending)
    return menu, startup


def viewer_shows_the_manuals_reminders(session, args):
    """The installed viewer, started in the reminders' folder, with the
    manual's example as DIAR.TXT: the boxes the manual promises."""
    example = manual_example(args.manual)
    check(sorted(example) == sorted(MANUAL_EXAMPLE_BOXES),
          "the manual's example changed: update MANUAL_EXAMPLE_BOXES from %s" % example)
    folder = session.host_path(REMINDER_FOLDER)
    os.makedirs(folder)
    reminders = cp("".join(line + "\r\n" for line in example))
    with open(os.path.join(folder, "DIAR.TXT"), "wb") as f:
        f.write(reminders)
    first, second = day_texts(args.texts, 24, 12)
    expected = [(cp("Hesla 24.12. SZ"), first, "shell", ["ok"], "none"),
                (cp("Hesla 24.12. NZ"), second, "shell", ["ok"], "none")]
    for line in example:
        if MANUAL_EXAMPLE_BOXES[line]:
            caption, text = MANUAL_EXAMPLE_BOXES[line]
            expected.append((cp(caption), cp(text), "shell", ["ok"], "none"))
    records, code = session.drive_boxes(args.driver, REMINDER_FOLDER, INSTALL_FOLDER + "\\RS7.EXE", date=REMINDER_DAY)
    check_run(records, code, expected)
    return reminders


def only_the_reminders_left(session, reminders):
    names = os.listdir(session.host_path(REMINDER_FOLDER))
    check(names == ["DIAR.TXT"], "in the reminders' folder: %s" % names)
    with open(os.path.join(session.host_path(REMINDER_FOLDER), "DIAR.TXT"), "rb") as f:
        check(f.read() == reminders, "DIAR.TXT was changed")


def remove(session, args, menu, startup, reminders):
    """The system's uninstaller runs the registered uninstall command: the
    launcher asks, hands over to its copy in the temporary folder and ends;
    the worker removes everything and reports."""
    records, code = session.drive_boxes(args.driver, "C:\\windows", SYSTEM_UNINSTALLER, "--remove Ranoslov",
                                        answers="yes,ok", follow=True)
    check_followed(records, code, [
        ("REMOVE.EXE", box(UNINSTALL_CAPTION, "Opravdu chcete odstranit program Ranoslov?", ["yes", "no"], "question")),
        ("~REMOVE.TMP", box(UNINSTALL_CAPTION, "Odinstalace úspěšně dokončena.", ["ok"], "none")),
    ], ["REMOVE.EXE", "~REMOVE.TMP"])
    removed = [INSTALL_FOLDER, menu, startup + "\\Ranoslov.lnk"]
    left = [path for path in removed if os.path.lexists(session.host_path(path))]
    check(not left, "not removed: %s" % left)
    check(session.registry(UNINSTALL_KEY) is None, "the Uninstall entry is still there")
    only_the_reminders_left(session, reminders)

    # The worker's copies and the installer in the package's folder go at
    # the next start of Windows.
    temporary = session.temporary_folder()
    deferred = sorted([PACKAGE_FOLDER + "\\INSTALL.EXE", temporary + "\\~REMOVE.TMP", temporary + "\\~REMOVE.DAT"])
    pending = session.deletions_at_restart()
    check(pending == deferred, "to be deleted at restart: %s instead of %s" % (pending, deferred))
    check(all(os.path.isfile(session.host_path(path)) for path in deferred), "files to be deleted are missing")
    session.restart()
    left = [path for path in deferred if os.path.lexists(session.host_path(path))]
    check(not left, "not deleted at restart: %s" % left)
    check(session.deletions_at_restart() == [], "deletions still pending after the restart")
    left = os.listdir(session.host_path(PACKAGE_FOLDER))
    check(left == ["INSTALUJ.BAT"], "left in the package's folder: %s" % left)
    only_the_reminders_left(session, reminders)


def run(session, args):
    """The whole course in a fresh session; 0 when it passed."""
    try:
        session.start()
        print("== installing with the starter")
        install(session, args)
        print("== the installation")
        menu, startup = check_installation(session, args)
        print("== the manual's reminders")
        reminders = viewer_shows_the_manuals_reminders(session, args)
        print("== removing, and restarting")
        remove(session, args, menu, startup, reminders)
    except Failure as failure:
        print("FAILED: %s" % failure)
        return 1
    finally:
        session.stop()
    print("passed")
    return 0


def main():
    parser = argparse.ArgumentParser()
    for option in ("work", "package", "driver", "texts", "manual"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    args.work = os.path.abspath(args.work)
    os.makedirs(args.work, exist_ok=True)
    # The driver runs from the host's folders (drive Z:).
    args.driver = "Z:" + os.path.abspath(args.driver).replace("/", "\\")
    session = Session(args.work)
    with one_run_at_a_time(args.work):
        return run(session, args)


if __name__ == "__main__":
    sys.exit(main())
