#!/usr/bin/env python3
"""The distribution zip end to end under Wine, as a user meets it.

    e2e_package.py --work DIR --package ZIP --driver BOX_DRIVER.EXE
                   --probe STARTER_PROBE.EXE --texts TEXTS --manual MANUAL.TXT

In a Wine session of its own with a fresh prefix (in DIR): the starter, run
by the command interpreter from another folder, starts the installer in the
package's folder with "/INSTALL" (a probe stands in for the installer); the
package's installer installs; the installation is checked (files, removal
log, shortcuts, Uninstall entry); the installed viewer shows the manual's
example reminders as the manual says; the registered uninstall command
removes everything again and leaves the user's reminders alone.
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
from e2e import Failure, check, check_run, cp, day_texts  # noqa: E402

WINE_ENV = os.path.join(ROOT, "tools", "wine_env.sh")
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ranoslov"
SESSION_MANAGER_KEY = r"HKLM\System\CurrentControlSet\Control\Session Manager"
SHELL_FOLDERS_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"
INSTALL_CAPTION = "Instalace programu Ranoslov"
UNINSTALL_CAPTION = "Odinstalace programu Ranoslov"
# Where the user unpacks the package, and keeps the reminders (as the manual
# suggests): folders with blanks and Czech letters.
PACKAGE_FOLDER = "C:\\Stažené soubory\\Ranoslov2007"
PROBE_FOLDER = "C:\\Stažené soubory\\Zkouška spouštěče"
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

    def host_path(self, windows_path):
        check(windows_path[:3].upper() == "C:\\", "not on drive C: %s" % windows_path)
        return os.path.join(self.drive, *windows_path[3:].split("\\"))

    def run(self, limit, *command, date=None):
        """A command in the session; its output as text. Output goes to a file:
        a Wine process it starts could hold a pipe open after it ends."""
        dated = ["--date", date] if date else []
        with tempfile.TemporaryFile() as out:
            code = subprocess.run([WINE_ENV, "run", self.work, str(limit), *dated, "wine", *command], stdout=out,
                                  stdin=subprocess.DEVNULL, timeout=limit + 15).returncode
            out.seek(0)
            return code, out.read().decode("utf-8", "replace")

    def drive_boxes(self, driver, folder, program, parameters="", answers=None, date=None):
        """The box driver on a program; its records and exit code."""
        options = ["--cwd", folder] + (["--answers", answers] if answers else [])
        code, output = self.run(90, driver, *options, program, *([parameters] if parameters else []), date=date)
        records = []
        for line in output.splitlines():
            try:
                records.append(json.loads(line))
            except ValueError:
                records.append({"event": "noise", "line": line})
        return records, code

    def registry(self, key, value=None):
        """The lines of "reg query" for a key (and value), or None when absent."""
        code, output = self.run(60, "reg", "query", key, *(["/v", value] if value else []))
        return output.splitlines() if code == 0 else None

    def registry_value(self, key, value):
        lines = self.registry(key, value) or []
        for line in lines:
            parts = line.strip().split("    ")
            if len(parts) == 3 and parts[0] == value:
                return parts[2]
        raise Failure("no value %s in %s" % (value, key))


def box(caption, text, buttons, icon):
    return (cp(caption), cp(text), "none", buttons, icon)


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


def starter_switches_to_its_folder(session, args):
    """The starter under the command interpreter, started from another folder,
    runs "INSTALL.EXE /INSTALL" in its own folder (a probe stands in)."""
    folder = session.host_path(PROBE_FOLDER)
    os.makedirs(folder)
    with zipfile.ZipFile(args.package) as archive, open(os.path.join(folder, "INSTALUJ.BAT"), "wb") as f:
        f.write(archive.read("INSTALUJ.BAT"))
    shutil.copyfile(args.probe, os.path.join(folder, "INSTALL.EXE"))
    records, code = session.drive_boxes(args.driver, "C:\\windows", "C:\\windows\\system32\\cmd.exe",
                                        '/c "%s\\INSTALUJ.BAT"' % PROBE_FOLDER)
    check_run(records, code, [])
    report = os.path.join(folder, "STARTED.TXT")
    check(os.path.isfile(report), "the starter did not start INSTALL.EXE in its folder")
    with open(report, "rb") as f:
        started_in, command_line = f.read().decode("cp1250").split("\r\n")
    print("started in %r with %r" % (started_in, command_line))
    check(started_in == PROBE_FOLDER, "INSTALL.EXE started in %r" % started_in)
    words = command_line.split()
    check(words[-1] == "/INSTALL" and words[0].strip('"').upper().endswith("INSTALL.EXE"),
          "INSTALL.EXE started as %r" % command_line)


def install(session, args):
    folder = session.host_path(PACKAGE_FOLDER)
    os.makedirs(folder)
    with zipfile.ZipFile(args.package) as archive:
        archive.extractall(folder)
    # The installer as the starter starts it: in the package's folder.
    records, code = session.drive_boxes(args.driver, PACKAGE_FOLDER, PACKAGE_FOLDER + "\\INSTALL.EXE", "/INSTALL",
                                        answers="yes,ok")
    check_run(records, code, [
        box(INSTALL_CAPTION, "Chcete vytvořit zástupce programu Ranoslov ve složce „Po spuštění“?", ["yes", "no"],
            "none"),
        box(INSTALL_CAPTION, "Instalace úspěšně dokončena.", ["ok"], "none"),
    ])


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
    pending = "\n".join(session.registry(SESSION_MANAGER_KEY, "PendingFileRenameOperations") or [])
    check("\\Ranoslov2007\\INSTALL.EXE\\0" in pending, "INSTALL.EXE is not to be deleted: %r" % pending)
    return uninstall, menu, startup


def viewer_shows_the_manuals_reminders(session, args):
    """The installed viewer, started in the reminders' folder, with the
    manual's example as DIAR.TXT: the boxes the manual promises."""
    example = manual_example(args.manual)
    check(sorted(example) == sorted(MANUAL_EXAMPLE_BOXES),
          "the manual's example changed: update MANUAL_EXAMPLE_BOXES from %s" % example)
    folder = session.host_path(REMINDER_FOLDER)
    os.makedirs(folder)
    with open(os.path.join(folder, "DIAR.TXT"), "wb") as f:
        f.write(cp("".join(line + "\r\n" for line in example)))
    first, second = day_texts(args.texts, 24, 12)
    expected = [(cp("Hesla 24.12. SZ"), first, "shell", ["ok"], "none"),
                (cp("Hesla 24.12. NZ"), second, "shell", ["ok"], "none")]
    for line in example:
        if MANUAL_EXAMPLE_BOXES[line]:
            caption, text = MANUAL_EXAMPLE_BOXES[line]
            expected.append((cp(caption), cp(text), "shell", ["ok"], "none"))
    records, code = session.drive_boxes(args.driver, REMINDER_FOLDER, INSTALL_FOLDER + "\\RS7.EXE", date=REMINDER_DAY)
    check_run(records, code, expected)


def remove(session, args, uninstall, menu, startup):
    records, code = session.drive_boxes(args.driver, "C:\\windows", uninstall.strip('"'), answers="yes")
    check_run(records, code, [
        box(UNINSTALL_CAPTION, "Opravdu chcete odstranit program Ranoslov?", ["yes", "no"], "question")])
    # The worker goes on alone after a second's wait.
    gone = [INSTALL_FOLDER, menu, startup + "\\Ranoslov.lnk"]
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        left = [path for path in gone if os.path.lexists(session.host_path(path))]
        if not left:
            break
        time.sleep(0.5)
    check(not left, "not removed: %s" % left)
    check(session.registry(UNINSTALL_KEY) is None, "the Uninstall entry is still there")
    check(os.path.isfile(os.path.join(session.host_path(REMINDER_FOLDER), "DIAR.TXT")), "DIAR.TXT was removed")


def main():
    parser = argparse.ArgumentParser()
    for option in ("work", "package", "driver", "probe", "texts", "manual"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    args.work = os.path.abspath(args.work)
    os.makedirs(args.work, exist_ok=True)
    # The driver and the probe run from the host's folders (drive Z:).
    args.driver = "Z:" + os.path.abspath(args.driver).replace("/", "\\")
    session = Session(args.work)
    try:
        session.start()
        print("== the starter")
        starter_switches_to_its_folder(session, args)
        print("== installing")
        install(session, args)
        print("== the installation")
        uninstall, menu, startup = check_installation(session, args)
        print("== the manual's reminders")
        viewer_shows_the_manuals_reminders(session, args)
        print("== removing")
        remove(session, args, uninstall, menu, startup)
    except Failure as failure:
        print("FAILED: %s" % failure)
        return 1
    finally:
        session.stop()
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
