#!/usr/bin/env python3
"""End-to-end cases of INSTALL.EXE under Wine.

    installer_e2e.py --build DIR --viewer-name RS7 prefix     makes the fresh prefix the cases copy
    installer_e2e.py --build DIR --viewer-name RS7 list       names of the cases
    installer_e2e.py --build DIR --viewer-name RS7 run CASE   runs one case in a copy of that prefix
    installer_e2e.py --build DIR --viewer-name RS7 cleanup    removes that prefix

Every case runs in a Wine session of its own (tools/wine_env.sh) in
DIR/e2e-installer/CASE; a case that passes removes that folder, one that
fails leaves it to be looked at. The box driver starts the programs and answers their
boxes; installer_probe runs single operations of the installer's code and
answers the boxes of the uninstall worker, which the launcher starts. Texts
are compared as Windows-1250 bytes; shortcuts are read with lnkinfo, the
registry with "reg export".
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
WINE_ENV = os.path.join(ROOT, "tools", "wine_env.sh")
TODAY = "2007-03-05 12:00:00"

INSTALL_CAPTION = "Instalace programu Ranoslov"
REMOVE_CAPTION = "Odinstalace programu Ranoslov"
QUESTION = "Chcete vytvořit zástupce programu Ranoslov ve složce „Po spuštění“?"
INSTALLED = "Instalace úspěšně dokončena."
INSTALLED_PARTLY = "Instalce dokončena – některé soubory či zástupce však bohužel nebylo možno nainstalovat."
CONFIRM = "Opravdu chcete odstranit program Ranoslov?"
NOT_STARTED = "Není možné inicializovat odinstalační program!"
REMOVED = "Odinstalace úspěšně dokončena."
REMOVED_PARTLY = "Odinstalace dokončena – některé soubory či složky však bohužel nebylo možno odstranit."

INSTALL_FOLDER = "C:\\Program Files\\Ranoslov"
DISTRIBUTION = "C:\\Stažené\\Ranoslov 2007"  # blanks and Czech letters in the installer's own path
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ranoslov"
SHELL_FOLDERS_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"
SESSION_MANAGER_KEY = "HKLM\\System\\CurrentControlSet\\Control\\Session Manager"
MANUAL = b"{\\rtf1\\ansi\\ansicpg1250 N\\'ecco jako manu\\'e1l}\r\n"  # a stand-in


def cp(text):
    return text.encode("cp1250")


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def check_equal(actual, expected, what):
    check(actual == expected, "%s: %r instead of %r" % (what, actual, expected))


def parse_reg_value(text):
    """One value of a "reg export" file: a text, a number or bytes."""
    if text.startswith('"'):
        out, i = [], 1
        while text[i] != '"':
            if text[i] == "\\":
                i += 1
            out.append(text[i])
            i += 1
        return "".join(out)
    if text.startswith("dword:"):
        return int(text[6:], 16)
    kind, data = text.split(":", 1)
    raw = bytes(int(byte, 16) for byte in data.split(",") if byte.strip())
    if kind == "hex(7)":  # several texts, each ended by a zero
        return raw.decode("utf-16-le").split("\0")[:-2]
    return raw


def stop_leftover_session(folder):
    if os.path.exists(os.path.join(folder, "wine", "session")):
        subprocess.run([WINE_ENV, "stop", folder], check=False, timeout=60)


class Session:
    """A Wine prefix of one case, with its wineserver and display."""

    def __init__(self, args, name):
        self.args = args
        self.build = args.build
        self.folder = os.path.join(args.build, "e2e-installer", name)
        self.prefix = os.path.join(self.folder, "wine", "prefix")

    def start(self):
        template = os.path.join(self.build, "e2e-installer", "fresh", "wine", "prefix")
        check(os.path.isdir(template), "no fresh prefix: run the case 'prefix' first")
        stop_leftover_session(self.folder)
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(os.path.dirname(self.prefix))
        subprocess.run(["cp", "-a", template, self.prefix], check=True)
        subprocess.run([WINE_ENV, "start", self.folder], check=True, timeout=200)

    def stop(self):
        subprocess.run([WINE_ENV, "stop", self.folder], check=False, timeout=60)

    def host(self, path):
        """The host path of a Windows path on drive C: or Z:."""
        drive, rest = path[0].upper(), path[3:].replace("\\", "/")
        if drive == "Z":
            return "/" + rest
        check(drive == "C", "no drive %s in the prefix" % drive)
        return os.path.join(self.prefix, "drive_c", rest)

    def run(self, limit, *command, date=None):
        """Runs a command in the session; returns its exit code and output."""
        with tempfile.TemporaryFile() as out:
            dated = ["--date", date] if date else []
            # Output goes to a file: a Wine process started here may hold a
            # pipe open after the command ended.
            code = subprocess.run([WINE_ENV, "run", self.folder, str(limit), *dated, *command], stdout=out,
                                  stdin=subprocess.DEVNULL, timeout=limit + 20).returncode
            out.seek(0)
            return code, out.read()

    def driver(self, program, parameters="", answers=(), folder=None, date=None):
        """The box driver's records of one program run."""
        options = ["--answers", ",".join(answers)] if answers else []
        if folder:
            options += ["--cwd", folder]
        code, output = self.run(60, "wine", os.path.join(self.build, "e2e", "box_driver.exe"), *options, program,
                                parameters, date=date)
        records = []
        for line in output.decode("utf-8", "replace").splitlines():
            try:
                records.append(json.loads(line))
            except ValueError:
                records.append({"event": "noise", "line": line})
        for record in records:
            print("  " + json.dumps({k: v for k, v in record.items() if not k.endswith("_cp1250")},
                                    ensure_ascii=False))
        check(code == 0, "the box driver failed (exit code %d)" % code)
        return records

    def probe(self, *arguments, limit=60):
        """The results of one installer_probe command, as bytes by name."""
        code, output = self.run(limit, "wine", os.path.join(self.build, "e2e", "installer_probe.exe"), *arguments)
        results = {}
        for line in output.decode("ascii", "replace").splitlines():
            if "=" in line:
                name, value = line.split("=", 1)
                results[name] = bytes.fromhex(value) if name != "error" else value
        print("  probe %s: %s" % (" ".join(arguments), {k: v.decode("cp1250", "replace") if isinstance(v, bytes)
                                                        else v for k, v in results.items()}))
        check(code == 0, "installer_probe %s failed (exit code %d)" % (arguments[0], code))
        return results

    def registry(self, key):
        """The values of a key as "reg export" writes them, or None."""
        export = os.path.join(self.folder, "export.reg")
        if os.path.exists(export):
            os.remove(export)
        code, _ = self.run(60, "wine", "reg", "export", key, "Z:" + export.replace("/", "\\"), "/y")
        if code != 0:
            return None
        with open(export, "rb") as f:
            text = f.read().decode("utf-16")
        text = text.replace("\\\r\n  ", "").replace("\\\n  ", "")
        values = {}
        for line in text.splitlines()[2:]:
            if line.startswith("["):
                if values or line[1:-1].upper() != key.replace("HKLM", "HKEY_LOCAL_MACHINE").replace(
                        "HKCU", "HKEY_CURRENT_USER").upper():
                    break  # the values of the key itself only, not of its subkeys
                continue
            if line.startswith('"'):
                end = 1
                while line[end] != '"':
                    end += 2 if line[end] == "\\" else 1
                values[line[1:end].replace('\\"', '"').replace("\\\\", "\\")] = parse_reg_value(line[end + 2:])
        return values

    def pending_deletions(self):
        """The files that the next start deletes, as Windows paths."""
        values = self.registry(SESSION_MANAGER_KEY) or {}
        items = values.get("PendingFileRenameOperations", [])
        return [items[i][4:] for i in range(0, len(items) - 1, 2) if items[i + 1] == ""]

    def restart(self):
        code, _ = self.run(120, "wine", "wineboot", "-r")
        check_equal(code, 0, "exit code of wineboot -r")

    def shell_folder(self, name):
        return self.registry(SHELL_FOLDERS_KEY)[name]


def listing(folder):
    """The names in a host folder, or None when there is none."""
    return sorted(os.listdir(folder)) if os.path.isdir(folder) else None


def snapshot(session):
    """Every file and folder on drive C: but those of Windows itself."""
    drive = session.host("C:\\")
    paths = set()
    for folder, folders, files in os.walk(drive):
        if folder == drive:
            folders.remove("windows")
        paths.update(os.path.relpath(os.path.join(folder, name), drive) for name in folders + files)
    return paths


def read(path):
    with open(path, "rb") as f:
        return f.read()


def check_boxes(records, expected, exit_code=0):
    """Exactly these boxes, in order, then the end of the program. Each box is
    (caption, text, buttons, icon)."""
    check(records and records[0]["event"] == "start", "the driver did not start the program")
    check(records[-1]["event"] == "exit", "the program did not end")
    shown = records[1:-1]
    check([r["event"] for r in shown] == ["box"] * len(shown), "something other than a box appeared")
    check_equal(len(shown), len(expected), "number of boxes")
    for number, (record, (caption, text, buttons, icon)) in enumerate(zip(shown, expected), 1):
        check_equal(bytes.fromhex(record["caption_cp1250"]), cp(caption), "caption of box %d" % number)
        check_equal(bytes.fromhex(record["text_cp1250"]), cp(text), "text of box %d" % number)
        check_equal(record["owner"], "none", "owner of box %d" % number)
        check_equal(record["buttons"], buttons, "buttons of box %d" % number)
        check_equal(record["icon"], icon, "icon of box %d" % number)
    check_equal(records[-1]["code"], exit_code, "exit code")


def install_box(text, kind):
    if kind == "question":
        return (INSTALL_CAPTION, text, ["yes", "no"], "none")
    return (INSTALL_CAPTION, text, ["ok"], kind)


class Product:
    """The edition's distribution folder and what an installation makes of it."""

    def __init__(self, session):
        self.session = session
        self.viewer = session.args.viewer_name + ".EXE"
        self.manual = session.args.viewer_name + ".RTF"
        self.programs = session.shell_folder("Programs")
        self.startup = session.shell_folder("StartUp")
        self.menu = self.programs + "\\Ranoslov"
        self.viewer_link = self.menu + "\\ Ranoslov.lnk"
        self.manual_link = self.menu + "\\Něco jako manuál.lnk"
        self.startup_link = self.startup + "\\Ranoslov.lnk"
        self.log = INSTALL_FOLDER + "\\REMOVE.DAT"
        self.launcher = INSTALL_FOLDER + "\\REMOVE.EXE"

    def unpack(self):
        folder = self.session.host(DISTRIBUTION)
        os.makedirs(folder)
        shutil.copy(os.path.join(self.session.build, "INSTALL.EXE"), folder)
        shutil.copy(os.path.join(self.session.build, self.viewer), folder)
        with open(os.path.join(folder, self.manual), "wb") as f:
            f.write(MANUAL)

    def install(self, answers, final):
        records = self.session.driver(DISTRIBUTION + "\\INSTALL.EXE", "/INSTALL", answers=answers, folder=DISTRIBUTION)
        expected = [install_box(QUESTION, "question")]
        expected.append(install_box(INSTALLED, "none") if final == "success" else
                        install_box(INSTALLED_PARTLY, "warning"))
        check_boxes(records, expected)

    def lines(self, startup=True):
        """The log lines of a first installation."""
        lines = ["D" + INSTALL_FOLDER, "F" + self.log, "F" + self.launcher, "F" + INSTALL_FOLDER + "\\" + self.viewer,
                 "F" + INSTALL_FOLDER + "\\" + self.manual, "D" + self.menu, "F" + self.viewer_link,
                 "F" + self.manual_link]
        return lines + ["F" + self.startup_link] if startup else lines

    def check_installed(self, startup=True, log_lines=None):
        host = self.session.host
        build = self.session.build
        check_equal(listing(host(INSTALL_FOLDER)), sorted(["REMOVE.DAT", "REMOVE.EXE", self.viewer, self.manual]),
                    "the install folder")
        check(read(host(self.launcher)) == read(os.path.join(build, "INSTALL.EXE")), "REMOVE.EXE is not the installer")
        check(read(host(INSTALL_FOLDER + "\\" + self.viewer)) == read(os.path.join(build, self.viewer)),
              "the installed viewer is not the shipped one")
        check_equal(read(host(INSTALL_FOLDER + "\\" + self.manual)), MANUAL, "the installed manual")
        check_equal(listing(host(DISTRIBUTION)), ["INSTALL.EXE"], "the distribution folder")
        check_equal(listing(host(self.menu)), sorted([" Ranoslov.lnk", "Něco jako manuál.lnk"]), "the menu folder")
        check_equal(os.path.exists(host(self.startup_link)), startup, "a Startup shortcut")
        links = [(self.viewer_link, self.viewer), (self.manual_link, self.manual)]
        for link, target in links + ([(self.startup_link, self.viewer)] if startup else []):
            check_shortcut(host(link), INSTALL_FOLDER + "\\" + target)
        lines = log_lines if log_lines is not None else self.lines(startup)
        check_equal(read(host(self.log)), b"".join(cp(line) + b"\r\n" for line in lines), "the log")
        check_equal(self.session.registry(UNINSTALL_KEY),
                    {"DisplayName": "Ranoslov", "UninstallString": '"%s"' % self.launcher, "NoModify": 1,
                     "NoRepair": 1}, "the Uninstall entry")
        check(DISTRIBUTION + "\\INSTALL.EXE" in self.session.pending_deletions(),
              "the installer is not scheduled for deletion")

    def remove(self, answer="yes", final=REMOVED, folder=None):
        """Runs the registered uninstall command as the system would, and
        answers the worker's box. Returns the temporary folder."""
        command = self.session.registry(UNINSTALL_KEY)["UninstallString"]
        check(command.startswith('"') and command.endswith('"'), "the uninstall command is not quoted")
        records = self.session.driver(command[1:-1], answers=[answer], folder=folder)
        check_boxes(records, [(REMOVE_CAPTION, CONFIRM, ["yes", "no"], "question")])
        temporary = self.session.probe("temporary-folder")["path"].decode("cp1250")
        if answer != "yes":
            return temporary
        box = self.session.probe("answer-box", REMOVE_CAPTION, "20")
        check_equal(box["text"], cp(final), "the worker's final text")
        check_equal((box["buttons"], box["icon"]), (b"OK", b"0"), "the worker's box: OK without icon")
        wait_for_worker_end(self.session)
        return temporary

    def check_removed(self, temporary, kept=()):
        """Nothing of the product is left but `kept` and the two temporary
        copies, which the next start deletes."""
        host = self.session.host
        for path in [INSTALL_FOLDER, self.menu, self.startup_link, DISTRIBUTION + "\\" + self.viewer]:
            check(path in kept or not os.path.exists(host(path)), "%s is still there" % path)
        check(self.session.registry(UNINSTALL_KEY) is None, "the Uninstall entry is still there")
        copies = [temporary + "~REMOVE.TMP", temporary + "~REMOVE.DAT"]
        check(read(host(copies[0])) == read(os.path.join(self.session.build, "INSTALL.EXE")),
              "no program copy in the temporary folder")
        check(os.path.exists(host(copies[1])), "no log copy in the temporary folder")
        pending = self.session.pending_deletions()
        check(all(copy in pending for copy in copies), "the copies are not scheduled: %s" % pending)
        self.session.restart()
        for path in copies + [DISTRIBUTION + "\\INSTALL.EXE"]:
            check(not os.path.exists(host(path)), "%s is still there after the restart" % path)


def check_shortcut(link, target):
    """The shortcut as lnkinfo reads it: the target, empty arguments, no
    working folder."""
    output = subprocess.run(["lnkinfo", "-c", "windows-1250", link], capture_output=True, text=True,
                            check=True).stdout
    fields = {}
    for line in output.splitlines():
        if ":" in line and line.startswith("\t") and not line.startswith("\t\t"):
            name, value = line.split(":", 1)
            fields[name.strip()] = value.strip()
    check_equal(fields.get("Local path"), target, "target of " + link)
    check_equal(fields.get("Command line arguments"), "", "arguments of " + link)
    check("Working directory" not in fields, "%s has a working folder" % link)
    return fields["Local path"]


def worker_runs(prefix):
    """Whether a program copy runs in this prefix."""
    for pid in os.listdir("/proc"):
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                command = f.read()
            with open("/proc/%s/environ" % pid, "rb") as f:
                environment = f.read().split(b"\0")
        except (OSError, ValueError):
            continue
        if b"~REMOVE.TMP" in command and b"WINEPREFIX=" + prefix.encode() in environment:
            return True
    return False


def wait_for_worker_end(session):
    for _ in range(150):
        if not worker_runs(session.prefix):
            return
        time.sleep(0.1)
    raise Failure("the worker did not end")


# --- The cases

def install_with_yes_and_remove(session):
    product = Product(session)
    before = snapshot(session)
    product.unpack()
    product.install(["yes", "ok"], "success")
    product.check_installed()
    # The viewer starts through the path its Start-menu shortcut names.
    target = check_shortcut(session.host(product.viewer_link), INSTALL_FOLDER + "\\" + product.viewer)
    records = session.driver(target, folder="C:\\users", date=TODAY)
    check_equal([bytes.fromhex(r["caption_cp1250"]) for r in records if r["event"] == "box"],
                [b"Hesla 5.3. SZ", b"Hesla 5.3. NZ"], "the viewer's captions")
    product.check_removed(product.remove())
    # Only the distribution folder, emptied by the restart, is left.
    check_equal(snapshot(session) - before, {"Stažené", "Stažené/Ranoslov 2007"}, "what the product left")
    check_equal(before - snapshot(session), set(), "what went missing")


def install_with_no(session):
    product = Product(session)
    product.unpack()
    product.install(["no", "ok"], "success")
    product.check_installed(startup=False)
    product.check_removed(product.remove())


def install_twice(session):
    product = Product(session)
    product.unpack()
    product.install(["yes", "ok"], "success")
    # The product files are gone from the folder: a warning, and appended lines.
    product.install(["yes", "ok"], "warning")
    again = ["F" + product.launcher, "F" + product.viewer_link, "F" + product.manual_link, "F" + product.startup_link]
    product.check_installed(log_lines=product.lines() + again)
    product.check_removed(product.remove())


def user_file_keeps_the_folder(session):
    product = Product(session)
    product.unpack()
    product.install(["no", "ok"], "success")
    diary = session.host(INSTALL_FOLDER + "\\DIAR.TXT")
    with open(diary, "wb") as f:
        f.write(cp("1.1. Novoroční přání\r\n"))
    product.check_removed(product.remove(final=REMOVED_PARTLY), kept=[INSTALL_FOLDER])
    check_equal(listing(session.host(INSTALL_FOLDER)), ["DIAR.TXT"], "the install folder")


def launcher_from_the_install_folder(session):
    product = Product(session)
    product.unpack()
    product.install(["yes", "ok"], "success")
    product.check_removed(product.remove(folder=INSTALL_FOLDER))


def temporary_folder_with_blanks(session):
    # Copies, scheduling and hand-over in a folder with blanks and Czech
    # letters. (Wine quotes an unquoted program name with blanks itself, so
    # the quotes of the worker's command line are shown by the host tests.)
    temporary = "C:\\Dočasné soubory"
    os.makedirs(session.host(temporary))
    for variable in ("TMP", "TEMP"):
        code, _ = session.run(60, "wine", "reg", "add", "HKCU\\Environment", "/v", variable, "/d", temporary, "/f")
        check_equal(code, 0, "exit code of reg add")
    product = Product(session)
    product.unpack()
    product.install(["yes", "ok"], "success")
    removed_from = product.remove()
    check_equal(removed_from, temporary + "\\", "the temporary folder")
    product.check_removed(removed_from)


def confirmation_declined(session):
    product = Product(session)
    product.unpack()
    product.install(["yes", "ok"], "success")
    before = read(session.host(product.log))
    temporary = product.remove(answer="no")
    time.sleep(1.5)
    check(not worker_runs(session.prefix), "a worker runs")
    check(not os.path.exists(session.host(temporary + "~REMOVE.TMP")), "a program copy was made")
    check(not any("~REMOVE" in path for path in session.pending_deletions()), "copies are scheduled")
    product.check_installed()
    check_equal(read(session.host(product.log)), before, "the log")


def no_log_beside_the_launcher(session):
    product = Product(session)
    product.unpack()
    records = session.driver(DISTRIBUTION + "\\INSTALL.EXE", answers=["yes"], folder=DISTRIBUTION)
    check_boxes(records, [(REMOVE_CAPTION, CONFIRM, ["yes", "no"], "question"),
                          (REMOVE_CAPTION, NOT_STARTED, ["ok"], "error")])
    temporary = session.probe("temporary-folder")["path"].decode("cp1250")
    check(os.path.exists(session.host(temporary + "~REMOVE.TMP")), "no program copy")
    check(temporary + "~REMOVE.TMP" in session.pending_deletions(), "the program copy is not scheduled")


def install_folder_cannot_be_made(session):
    product = Product(session)
    product.unpack()
    program_files = session.host("C:\\Program Files")
    os.rename(program_files, program_files + ".away")
    records = session.driver(DISTRIBUTION + "\\INSTALL.EXE", "/INSTALL", folder=DISTRIBUTION)
    check_boxes(records, [install_box("CHYBA! Nelze vytvořit složku C:\\Program Files\\Ranoslov!", "error")])
    check(not os.path.exists(program_files), "a folder was made")
    check_equal(session.pending_deletions(), [], "scheduled deletions")
    check(session.registry(UNINSTALL_KEY) is None, "an Uninstall entry was written")
    check_equal(len(listing(session.host(DISTRIBUTION))), 3, "the distribution folder")


def worker_removes_only_what_its_log_names(session):
    folder = session.host("C:\\Pokus")
    os.makedirs(folder)
    for name in ["a.txt", "b.txt", "c.txt"]:
        with open(os.path.join(folder, name), "w") as f:
            f.write(name)
    work = session.host("C:\\Práce")
    os.makedirs(work)
    shutil.copy(os.path.join(session.build, "INSTALL.EXE"), os.path.join(work, "KOPIE.TMP"))
    with open(os.path.join(work, "KOPIE.DAT"), "wb") as f:
        f.write(b"DC:\\Pokus\r\nFC:\\Pokus\\a.txt\r\nFC:\\Pokus\\b.txt\r\n")
    records = session.driver("C:\\Práce\\KOPIE.TMP", "/REMOVE", folder="C:\\Práce")
    check_boxes(records, [(REMOVE_CAPTION, REMOVED_PARTLY, ["ok"], "none")])
    check_equal(listing(folder), ["c.txt"], "the folder")


def shortcut_through_the_installers_code(session):
    folder = "C:\\Zástupci žluťoučcí"
    os.makedirs(session.host(folder))
    log = folder + "\\REMOVE.DAT"
    link = folder + "\\Něco jako manuál.lnk"
    target = "C:\\Program Files\\Ranoslov\\Příručka.RTF"
    check_equal(session.probe("shortcut", log, link, target)["saved"], b"1", "saved")
    check_shortcut(session.host(link), target)
    shell = session.probe("read-shortcut", link)
    check_equal((shell["path"], shell["arguments"], shell["working_folder"]), (cp(target), b"", b""),
                "the shortcut as the shell reads it")
    # Into a folder that does not exist: not saved, not logged.
    check_equal(session.probe("shortcut", log, "C:\\Chybí\\x.lnk", target)["saved"], b"0", "saved")
    check_equal(read(session.host(log)), b"F" + cp(link) + b"\r\n", "the log")


def uninstall_entry_through_the_installers_code(session):
    key = "Ranoslov"
    check_equal(session.probe("register", key, "Starý", "old")["registered"], b"1", "registered")
    name, command = "Ranoslov – Žluťoučký kůň", '"C:\\Program Files\\Ranoslov\\REMOVE.EXE"'
    check_equal(session.probe("register", key, name, command)["registered"], b"1", "registered again")
    check_equal(session.registry(UNINSTALL_KEY),
                {"DisplayName": name, "UninstallString": command, "NoModify": 1, "NoRepair": 1}, "the entry")
    read_back = session.probe("read-uninstall", key)
    check_equal((read_back["DisplayName"], read_back["UninstallString"]), (cp(name) + b"\0", cp(command) + b"\0"),
                "the entry read with the A functions")
    # Texts of 254 characters stay whole; longer ones are cut at 254.
    for length in (254, 255, 300):
        text = "ř" * (length - 4) + "ABCD"
        session.probe("register", key, text, text)
        check_equal(session.registry(UNINSTALL_KEY)["DisplayName"], text[:254], "a text of %d" % length)
    check_equal(session.probe("unregister", key)["unregistered"], b"1", "unregistered")
    check(session.registry(UNINSTALL_KEY) is None, "the key is still there")
    check_equal(session.probe("unregister", key)["unregistered"], b"0", "unregistered again")


def shell_folders_through_the_installers_code(session):
    for name, value in (("programs", "Programs"), ("startup", "StartUp")):
        path = session.probe("shell-folder", name)["path"]
        check_equal(path, cp(session.shell_folder(value) + "\\"), name)
        check(os.path.isdir(session.host(path.decode("cp1250"))), "%s does not exist" % name)
    check_equal(session.probe("shell-folder", "nic takového")["path"], b"", "an unknown name")


def deletion_at_restart_through_the_installers_code(session):
    path = "C:\\Smazat\\soubor č. 1.txt"
    os.makedirs(session.host("C:\\Smazat"))
    with open(session.host(path), "w") as f:
        f.write("x")
    check_equal(session.probe("delete-at-restart", path)["scheduled"], b"1", "scheduled")
    check(os.path.exists(session.host(path)), "deleted before the restart")
    check_equal(session.pending_deletions(), [path], "pending deletions")
    session.restart()
    check(not os.path.exists(session.host(path)), "still there after the restart")
    check(os.path.exists(session.host("C:\\Smazat")), "the folder went too")


def log_paths_through_the_installers_code(session):
    folder = "C:\\Složka ž\\" + "a" * 100 + "\\" + "b" * 100
    os.makedirs(session.host(folder))
    # A log path of exactly 255 characters, and one cut there.
    exact = folder + "\\" + "L" * (255 - len(folder) - 1)
    longer = exact + "XYZ.DAT"
    made = "C:\\Nová složka"
    for log in (exact, longer):
        result = session.probe("make-folder", log, made)
        check_equal(result["log_open"], b"1", "the log opened")
    check_equal(listing(session.host(folder)), ["L" * (255 - len(folder) - 1)], "the log files")
    check_equal(read(session.host(exact)), b"D" + cp(made) + b"\r\n", "the log")
    check(os.path.isdir(session.host(made)), "the folder was not made")


CASES = {
    "install_with_yes_and_remove": install_with_yes_and_remove,
    "install_with_no": install_with_no,
    "install_twice": install_twice,
    "user_file_keeps_the_folder": user_file_keeps_the_folder,
    "launcher_from_the_install_folder": launcher_from_the_install_folder,
    "temporary_folder_with_blanks": temporary_folder_with_blanks,
    "confirmation_declined": confirmation_declined,
    "no_log_beside_the_launcher": no_log_beside_the_launcher,
    "install_folder_cannot_be_made": install_folder_cannot_be_made,
    "worker_removes_only_what_its_log_names": worker_removes_only_what_its_log_names,
    "shortcut": shortcut_through_the_installers_code,
    "uninstall_entry": uninstall_entry_through_the_installers_code,
    "shell_folders": shell_folders_through_the_installers_code,
    "deletion_at_restart": deletion_at_restart_through_the_installers_code,
    "log_paths": log_paths_through_the_installers_code,
}


def make_fresh_prefix(args):
    """A new prefix, made by Wine for this run, which every case copies."""
    home = os.path.join(args.build, "e2e-installer")
    for name in listing(home) or []:
        stop_leftover_session(os.path.join(home, name))
    shutil.rmtree(home, ignore_errors=True)
    folder = os.path.join(home, "fresh")
    os.makedirs(folder)
    subprocess.run([WINE_ENV, "start", folder], check=True, timeout=280)
    subprocess.run([WINE_ENV, "stop", folder], check=True, timeout=60)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--viewer-name", required=True)
    parser.add_argument("action", choices=["prefix", "list", "run", "cleanup"])
    parser.add_argument("case", nargs="?")
    args = parser.parse_args()
    args.build = os.path.abspath(args.build)
    if args.action == "list":
        print(";".join(CASES))
        return 0
    if args.action == "prefix":
        make_fresh_prefix(args)
        return 0
    if args.action == "cleanup":
        shutil.rmtree(os.path.join(args.build, "e2e-installer", "fresh"), ignore_errors=True)
        return 0
    session = Session(args, args.case)
    try:
        session.start()
        CASES[args.case](session)
    except Failure as failure:
        print("FAILED: %s" % failure)
        return 1
    finally:
        session.stop()
    shutil.rmtree(session.folder, ignore_errors=True)
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
