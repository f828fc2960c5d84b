"""The Windows setup (frellis-<version>-setup.exe, which the 32-bit build's package target makes)
run silently, as an administrator deploys it: where it puts the saver and its Apps & features
entry, the installing user's screen saver, an upgrade over an installed copy, and the uninstall.
On the 64-bit build's prefix the 32-bit setup runs WoW64-style, wine64 with qemu-i386 for its
32-bit half (scripts/wine32.sh), which shows whether the 64-bit saver reaches the native system32,
and there the installed saver runs, to show where it keeps its settings.

Each scenario ends with Frellis uninstalled, so the prefix is as the scenario found it but for
what Windows would do at its next start (the uninstaller's copy of itself deleted, a file
replaced that is gone by then), which Wine never does here. The registry is read from the
prefix's .reg files, which Wine writes when its server stops."""

import colorsys
import glob
import os
import re
import shutil
import struct
import subprocess
import zipfile

import config
import harness
import user_settings

PACKAGE_DIR = os.environ.get("FRELLIS_PACKAGE_DIR",
                             os.path.join(harness.SOURCE_DIR, "build", "win32"))
ENTRY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Frellis"
DESKTOP = r"Control Panel\Desktop"
SESSION_MANAGER = r"System\CurrentControlSet\Control\Session Manager"
INSTALLED = r"C:\windows\system32\frellis.scr"
# The shell sees the low byte of ERROR_SUCCESS_REBOOT_REQUIRED (3010).
REBOOT_REQUIRED = 3010 & 0xFF
SETTINGS = b"[Setting]\r\nPolygon=5\r\n"
# The first release's setup, which put the 32-bit saver into the native system32 everywhere.
FIRST_SETUP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data",
                           "frellis-0.1.0-setup.exe")
# The setup's first page in the user's language, as the settings dialog picks its own: (name,
# locale, the window's title). Under the harness's own locale it is English (interactive). Wine
# takes the user interface's language from the messages' locale and the code page from the
# rest: Japanese over code page 1252 would be unreadable, so the setup speaks English there.
FIRST_PAGES = [
    ("ja", {"LANG": "ja_JP.UTF-8", "LC_ALL": "ja_JP.UTF-8"}, "Frellis %s セットアップ "),
    ("ja-1252", {"LANG": "en_US.UTF-8", "LC_ALL": "", "LC_MESSAGES": "ja_JP.UTF-8"},
     "Frellis %s Setup "),
]

# Per prefix: the folder that must receive the saver, the one that must not, where the
# uninstaller goes and the registry key that must not hold the entry.
LAYOUTS = {
    "win32": ("system32", None, "Program Files", None),
    "win64": ("system32", "syswow64", "Program Files (x86)",
              r"Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Frellis"),
}
# Per prefix: the zip's frellis.scr that the setup must install, and its PE machine and optional
# header magic (PE32, PE32+).
NATIVE_SAVERS = {
    "win32": ("32-bit/frellis.scr", (0x14C, 0x10B)),
    "win64": ("64-bit/frellis.scr", (0x8664, 0x20B)),
}


def package():
    """The setup and the frellis.scr it must install here (the zip's, the same stripped file)."""
    setups = glob.glob(os.path.join(PACKAGE_DIR, "frellis-*-setup.exe"))
    zips = glob.glob(os.path.join(PACKAGE_DIR, "frellis-*-windows.zip"))
    if len(setups) != 1 or len(zips) != 1:
        print("skipped: no single setup and zip in %s (the package target did not run)" %
              PACKAGE_DIR)
        raise SystemExit(harness.SKIP)
    with zipfile.ZipFile(zips[0]) as archive:
        saver = unstamped(archive.read(NATIVE_SAVERS[harness.BUILD][0]))
    version = re.match(r"frellis-(.*)-setup\.exe$", os.path.basename(setups[0])).group(1)
    return setups[0], saver, version


def unstamped(program):
    """A program's bytes without its PE time stamp and checksum, which strip sets anew each time
    CPack stages the saver (once for the zip, once for the setup)."""
    if program is None:
        return None
    header = int.from_bytes(program[0x3C:0x40], "little")
    stamp, checksum = header + 8, header + 24 + 64
    return (program[:stamp] + bytes(4) + program[stamp + 4:checksum] + bytes(4) +
            program[checksum + 4:])


def machine(program):
    """A program's PE machine and optional header magic."""
    header = int.from_bytes(program[0x3C:0x40], "little")
    return (int.from_bytes(program[header + 4:header + 6], "little"),
            int.from_bytes(program[header + 24:header + 26], "little"))


class Installer:
    """Runs the setup and the uninstaller in a scenario's prefix and reads what they left."""

    def __init__(self, s):
        self.s = s
        self.setup, self.saver, self.version = package()
        # The setup and the uninstaller are 32-bit programs; the installed saver runs as the
        # scenario's build does.
        self.env, self.wine = {}, s.wine
        if harness.BUILD == "win64":
            if not all(os.access(p, os.X_OK) for p in ("/usr/lib/wine/wine", "/usr/bin/qemu-i386")):
                print("skipped: the 32-bit setup needs wine32 and qemu-i386 in a 64-bit prefix")
                raise SystemExit(harness.SKIP)
            self.wine = os.path.join(harness.SOURCE_DIR, "scripts", "wine32.sh")
            self.env = {"FRELLIS_WINE_LOADER": harness.find_wine()}
        system, _, program_files, _ = LAYOUTS[harness.BUILD]
        self.system = self.windows_path(system)
        self.folder = os.path.join(s.prefix, "drive_c", program_files, "Frellis")

    def windows_path(self, *parts):
        return os.path.join(self.s.prefix, "drive_c", "windows", *parts)

    def start(self, program, *args, extra_env=None):
        """Starts the setup or the uninstaller."""
        wine, self.s.wine = self.s.wine, self.wine
        try:
            return self.s.start(program, args, dict(self.env, **(extra_env or {})))
        finally:
            self.s.wine = wine

    def run(self, program, *args):
        """Runs the setup or the uninstaller to its end, with every Wine process it started;
        returns the exit status."""
        status = self.s.wait(self.start(program, *args), 60)
        self.settle()
        return status

    def install(self):
        return self.run(self.setup, "/S")

    def uninstall(self):
        # The uninstaller copies itself to the temporary folder and returns at once: run() waits
        # for the copy too.
        return self.run(os.path.join(self.folder, "uninstall.exe"), "/S")

    def settle(self):
        """Waits for Wine's server to stop: every process of the step has ended and the
        registry is in the prefix's files."""
        subprocess.run([self.s.wineserver, "-w"], env=self.s.env(), capture_output=True,
                       timeout=60 * harness.PATIENCE)

    def registry(self, hive, key):
        """The values of a key in the stopped prefix's system or user hive, or None."""
        wanted = "[%s]" % key.lower().replace("\\", "\\\\")
        values = None
        with open(os.path.join(self.s.prefix, hive + ".reg"), errors="replace") as f:
            for line in f:
                if line.startswith("["):
                    if values is not None:
                        break
                    if line.lower().split("]")[0] + "]" == wanted:
                        values = {}
                elif values is not None and line.startswith('"'):
                    name, value = re.match(r'"((?:[^"\\]|\\.)*)"=(.*)$', line.rstrip("\n")).groups()
                    values[unescape(name)] = decode(value)
        return values

    def entries(self):
        """How many Apps & features entries show Frellis, in any view."""
        with open(os.path.join(self.s.prefix, "system.reg"), errors="replace") as f:
            return f.read().count('\n"DisplayName"="Frellis"\n')

    def pending_replacements(self):
        """How many replacements of frellis.scr wait for the restart."""
        operations = (self.registry("system", SESSION_MANAGER) or {}).get(
            "PendingFileRenameOperations", "")
        return operations.count("frellis.scr.new")

    def installed_bytes(self, name="frellis.scr"):
        path = os.path.join(self.system, name)
        return unstamped(open(path, "rb").read()) if os.path.exists(path) else None

    def virtual_store(self, folder):
        """The Frellis.ini that Windows would keep for the user in place of one in the Windows
        folder's system32 or syswow64."""
        local = os.path.join(os.path.dirname(os.path.dirname(user_settings.user_folder(self.s))),
                             "Local")
        return os.path.join(local, "VirtualStore", "windows", folder, "Frellis.ini")

    def left(self):
        """Every file or folder named after Frellis in the prefix's Windows and program folders,
        and every registry line that names it, but for Wine's own per-program settings
        (Software\\Wine\\AppDefaults), which other scenarios give frellis.scr and Windows lacks."""
        drive = os.path.join(self.s.prefix, "drive_c")
        found = [path for top in ("windows", "Program Files", "Program Files (x86)", "users")
                 for path in glob.glob(os.path.join(drive, top, "**", "*rellis*"), recursive=True)]
        for hive in ("system", "user"):
            with open(os.path.join(self.s.prefix, hive + ".reg"), errors="replace") as f:
                found += ["%s.reg: %s" % (hive, line.strip()) for line in f
                          if "rellis" in line.lower() and
                          not line.startswith("[Software\\\\Wine\\\\AppDefaults\\\\")]
        return found


def unescape(text):
    return re.sub(r"\\(.)", r"\1", text)


def decode(value):
    if value.startswith("dword:"):
        return int(value[6:], 16)
    if value.startswith('"'):
        return unescape(value[1:-1])
    return value


def icon_images():
    """The images of resources/frellis.ico, each as its bytes."""
    data = open(os.path.join(harness.SOURCE_DIR, "resources", "frellis.ico"), "rb").read()
    (count,) = struct.unpack_from("<H", data, 4)
    entries = [struct.unpack_from("<II", data, 6 + 16 * number + 8) for number in range(count)]
    return [data[offset:offset + size] for size, offset in entries]


def expect_values(checks, what, values, expected):
    for name, wanted in expected:
        actual = (values or {}).get(name)
        ok = wanted(actual) if callable(wanted) else actual == wanted
        checks.expect(ok, "%s %s is %r" % (what, name, actual))


def start_installed(s):
    """Starts the installed saver full screen; None when its window does not appear."""
    saver = s.start(INSTALLED, ["/s"])
    return saver if s.wait_for_window("Screen Saver") else None


def end_on_key(s, saver):
    """Presses a key until the saver ends (a key typed while it still starts up may go to the
    window before); returns its exit status."""
    s.activate("Screen Saver")
    harness.wait_until(lambda: s.key("space") or saver.poll() is not None, 10, 1)
    return s.wait(saver, 5)


def figures(shot):
    """How many figures a picture shows: only each figure's newest copy is at full colour (one
    channel 255, one 0), and the figures' hues lie evenly around the wheel, far apart next to the
    one tick's step that a copy to the screen may catch."""
    hues = sorted({round(colorsys.rgb_to_hsv(*(c / 255 for c in colour))[0] * 1536) % 1536
                   for colour in user_settings.distinct_colours(shot)
                   if max(colour) == 255 and min(colour) == 0})
    return sum(1 for a, b in zip(hues, hues[1:] + hues[:1]) if (b - a) % 1536 > 48)


def expect_figures(checks, s, count, why):
    """Runs the installed saver full screen until it shows count figures, then ends it."""
    saver = start_installed(s)
    seen = []
    shot = saver and s.wait_for_picture(lambda shot: seen.append(figures(shot)) or
                                        seen[-1] == count, 15)
    checks.expect(shot, "the installed saver draws %d figures: %s (it drew %s)" %
                  (count, why, sorted(set(seen))))
    checks.expect(saver and end_on_key(s, saver) == 0, "and ends on a key press with status 0")


def dialog_and_run_share(checks, s, setup):
    """The installed saver's dialog saves a changed value beside it, where its full-screen run
    reads it."""
    s.saver_dir = setup.system
    saver, _ = config.open_dialog(s, ["/c"])
    s.key("Tab")
    s.xdotool("type", "--delay", "50", "5")
    typed = config.wait_for_boxes(s, ("5", "4", "16", "10"))
    checks.expect(typed and config.shown(typed) == ("5", "4", "16", "10"),
                  "the installed saver's dialog shows the typed value")
    s.key("Return")
    checks.expect(s.wait(saver, 30) == 1, "Enter closes it with result 1")
    ini = os.path.join(setup.system, "Frellis.ini")
    checks.expect(os.path.exists(ini) and config.ini_values(ini).get("Setting", {}).get(
        "Polygon") == "5", "it saved the value to system32\\Frellis.ini")
    checks.expect(not os.path.exists(setup.windows_path("syswow64", "Frellis.ini")),
                  "and nothing to syswow64")
    expect_figures(checks, s, 5, "the dialog's value")


def install_uninstall(checks):
    """The silent install, then the silent uninstall of what it installed."""
    with harness.Scenario("installer_install_uninstall", one_session=False) as s:
        setup = Installer(s)
        system, shunned, program_files, shunned_key = LAYOUTS[harness.BUILD]
        checks.expect(setup.install() == 0, "the silent setup exits with 0")
        checks.expect(setup.installed_bytes() == setup.saver,
                      "frellis.scr is the packaged one, in %s" % system)
        installed = setup.installed_bytes()
        checks.expect(installed and machine(installed) == NATIVE_SAVERS[harness.BUILD][1],
                      "a %s file" % ("PE32+ x86-64" if shunned else "PE32 x86"))
        if shunned:
            checks.expect(not os.path.exists(setup.windows_path(shunned, "frellis.scr")),
                          "and not in %s" % shunned)
        checks.expect(os.path.isfile(os.path.join(setup.folder, "uninstall.exe")),
                      "the uninstaller is in %s\\Frellis" % program_files)
        uninstaller_bytes = open(os.path.join(setup.folder, "uninstall.exe"), "rb").read()
        checks.expect(all(image in uninstaller_bytes for image in icon_images()),
                      "the uninstaller, which the entry's DisplayIcon names, shows Frellis's icon")
        uninstaller = "C:\\%s\\Frellis\\uninstall.exe" % program_files
        expect_values(checks, "the entry's", setup.registry("system", ENTRY), [
            ("DisplayName", "Frellis"),
            ("DisplayVersion", setup.version),
            ("Publisher", bool),
            ("DisplayIcon", uninstaller + ",0"),
            ("UninstallString", '"%s"' % uninstaller),
            ("QuietUninstallString", '"%s" /S' % uninstaller),
            ("EstimatedSize", lambda size: size and size * 1024 >= len(setup.saver)),
            ("NoModify", 1),
            ("NoRepair", 1),
        ])
        if shunned_key:
            checks.expect(setup.registry("system", shunned_key) is None,
                          "no entry in the 32-bit registry view")
        # Wine's short name of an 8.3 file is the file's own.
        expect_values(checks, "the user's", setup.registry("user", DESKTOP), [
            ("SCRNSAVE.EXE", INSTALLED), ("ScreenSaveActive", "1")])

        if harness.BUILD == "win32":
            saver = start_installed(s)
            checks.expect(saver, "the installed saver runs full screen")
            checks.expect(saver and end_on_key(s, saver) == 0,
                          "and ends on a key press with status 0")
        else:
            dialog_and_run_share(checks, s, setup)

        # Settings beside the saver, the uninstalling user's own and another user's.
        other_user = os.path.join(s.prefix, "drive_c", "users", "other")
        other = os.path.join(other_user, "AppData", "Roaming", "Frellis")
        for folder in (setup.system, user_settings.user_folder(s), other):
            os.makedirs(folder, exist_ok=True)
            with open(os.path.join(folder, "Frellis.ini"), "wb") as f:
                f.write(SETTINGS)
        try:
            checks.expect(setup.uninstall() == 0, "the silent uninstaller exits with 0")
            expect_values(checks, "after the uninstall the user's",
                          setup.registry("user", DESKTOP), [("SCRNSAVE.EXE", None)])
            checks.expect(setup.registry("system", ENTRY) is None, "the entry is gone")
            left = [path for path in setup.left() if not path.startswith(other_user)]
            checks.expect(left == [], "nothing else of Frellis is left: %r" % left)
            checks.expect(os.path.isfile(os.path.join(other, "Frellis.ini")),
                          "another user's settings stay")
        finally:
            subprocess.run(["rm", "-rf", other_user])


def interactive(checks):
    """The setup run by hand: Enter through its pages. Wine has no desk.cpl, so a stand-in for the
    native control.exe records what the last page's offer, checked, asks to open."""
    with harness.Scenario("installer_interactive", one_session=False) as s:
        setup = Installer(s)
        control = setup.windows_path("system32", "control.exe")
        record = setup.windows_path("system32", "control_panel.txt")
        wine_control = os.path.join(s.scratch, "wine_control.exe")
        shutil.copy(control, wine_control)
        source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "standins",
                              "control_panel.c")
        subprocess.run([harness.CROSS_CC, "-O2", "-s", "-o", control, source], check=True)
        try:
            locales = private_locales(s)
            for name, locale, title in FIRST_PAGES:
                first_page(s, checks, setup, name, dict(locale, LOCPATH=locales),
                           title % setup.version)
            title = "Frellis %s Setup " % setup.version
            # Wine prefers its builtin programs to files in system32 unless told otherwise.
            overrides = harness.wine_env("", "")["WINEDLLOVERRIDES"] + ";control.exe=n"
            process = setup.start(setup.setup, extra_env={"WINEDLLOVERRIDES": overrides})
            checks.expect(s.wait_for_window(title, 60), "the setup shows its window")
            s.activate(title)
            # Enter installs from the first page and closes the last; while the files go in it
            # does nothing.
            harness.wait_until(lambda: os.path.exists(record) or s.key("Return"), 120, 2)
            command = open(record).read() if os.path.exists(record) else None
            checks.expect(command and command.endswith(" desk.cpl,,@screensaver\n"),
                          "Finish opens the Screen Saver settings (%r)" % command)
            checks.expect(s.wait(process, 30) == 0, "the setup exits with 0")
            setup.settle()
        finally:
            shutil.copy(wine_control, control)
            if os.path.exists(record):
                os.remove(record)
        checks.expect(setup.uninstall() == 0, "the uninstaller exits with 0")


def first_page(s, checks, setup, name, locale, title):
    """Starts the setup under a locale and reads its first page's title, then ends it before it
    does anything; its picture is kept with the artifacts for a person to look at."""
    process = s.start(setup.setup, extra_env=dict(setup.env, **locale))
    def titled():
        shown = window_titles(s)
        return shown if title in shown else None

    checks.expect(harness.wait_until(titled, 60, 1),
                  "%s: the setup's first page is titled %r (shown: %r)" %
                  (name, title, window_titles(s)))
    artifact = os.path.join(harness.ARTIFACTS_DIR, "setup_first_page_%s.png" % name)
    s.screenshot().save_png(artifact)
    harness.log("the %s first page's picture is kept in %s" % (name, artifact))
    s.end(process)
    setup.settle()


def private_locales(s):
    """A folder of the locales that FIRST_PAGES names, which this machine need not have made:
    without them the C library, and Wine with it, reads one locale from LANG alone."""
    folder = os.path.join(s.scratch, "locales")
    os.makedirs(folder, exist_ok=True)
    for name in ("en_US", "ja_JP"):
        subprocess.run(["localedef", "-i", name, "-f", "UTF-8",
                        os.path.join(folder, name + ".UTF-8")], check=True, capture_output=True)
    return folder


def window_titles(s):
    """The titles of the shown X windows, as their UTF-8 names hold them (xdotool's --name
    search reads the older name, where Japanese has other bytes)."""
    return [subprocess.run(["xdotool", "getwindowname", window], capture_output=True, text=True,
                           env={**os.environ, "DISPLAY": s.display}).stdout.rstrip("\n")
            for window in s.x_windows(".+")]


def upgrade(checks):
    with harness.Scenario("installer_upgrade", one_session=False) as s:
        setup = Installer(s)
        checks.expect(setup.install() == 0, "the first setup exits with 0")
        ini = os.path.join(setup.system, "Frellis.ini")
        user_ini = os.path.join(user_settings.user_folder(s), "Frellis.ini")
        os.makedirs(os.path.dirname(user_ini), exist_ok=True)
        for path in (ini, user_ini):
            with open(path, "wb") as f:
                f.write(SETTINGS)
        older = setup.saver + b"older"
        # Rows: what runs while the setup runs over an older copy; its exit status; what
        # frellis.scr is right after it; what waits in frellis.scr.new for the restart.
        rows = [
            ("nothing", 0, setup.saver, None),
            ("the saver, full screen", REBOOT_REQUIRED, older, setup.saver),
        ]
        for running, status, now, pending in rows:
            replacements = setup.pending_replacements()
            with open(os.path.join(setup.system, "frellis.scr"), "wb") as f:
                f.write(older)
            saver = start_installed(s) if pending else None
            if pending:
                checks.expect(saver, "the saver runs")
            # Not run(): that waits for every Wine process, the saver included.
            exit_status = s.wait(setup.start(setup.setup, "/S"), 60)
            if saver:
                end_on_key(s, saver)
            setup.settle()
            checks.expect(exit_status == status,
                          "with %s running the setup exits with %r (%r)" %
                          (running, status, exit_status))
            checks.expect(setup.installed_bytes() == now,
                          "%s: frellis.scr is the %s one" % (running, "new" if now == setup.saver
                                                             else "old"))
            checks.expect(setup.installed_bytes("frellis.scr.new") == pending,
                          "%s: the new file %s" % (running, "waits for the restart" if pending
                                                   else "is not left aside"))
            checks.expect(setup.pending_replacements() - replacements == (1 if pending else 0),
                          "%s: a replacement at the restart is %sregistered" %
                          (running, "" if pending else "not "))
            for path in (ini, user_ini):
                checks.expect(open(path, "rb").read() == SETTINGS,
                              "%s: %s is kept" % (running, os.path.relpath(path, s.prefix)))
            checks.expect(setup.entries() == 1, "%s: one Apps & features entry" % running)
        checks.expect(setup.uninstall() == 0, "the uninstaller exits with 0")


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(text)


def settings(polygons):
    return b"[Setting]\r\nPolygon=%d\r\n" % polygons


def upgrade_from_first_release(checks):
    """Over what the first release's setup left on 64-bit Windows: its 32-bit saver in the native
    system32, its entry, and the settings that saver wrote, which Windows redirected to syswow64,
    and, for a standard user on Vista and later, to that user's VirtualStore (Wine does neither)."""
    with harness.Scenario("installer_upgrade_from_0_1_0", one_session=False) as s:
        setup = Installer(s)
        checks.expect(setup.run(FIRST_SETUP, "/S") == 0, "the 0.1.0 setup exits with 0")
        first = setup.installed_bytes()
        checks.expect(first and machine(first) == NATIVE_SAVERS["win32"][1],
                      "it put the 32-bit saver into system32")
        wow64_ini = setup.windows_path("syswow64", "Frellis.ini")
        ini = os.path.join(setup.system, "Frellis.ini")
        user_ini = os.path.join(user_settings.user_folder(s), "Frellis.ini")
        write(wow64_ini, settings(3))
        write(setup.virtual_store("syswow64"), settings(4))
        # Where both copies are, the 64-bit folder's is the one that a 32-bit saver on 64-bit
        # Windows read: the other stays.
        write(setup.virtual_store("system32"), settings(6))

        checks.expect(setup.install() == 0, "the setup over it exits with 0")
        checks.expect(setup.installed_bytes() == setup.saver, "the 64-bit saver replaced it")
        checks.expect(setup.entries() == 1, "one Apps & features entry")
        for path, polygons, source in ((ini, 3, wow64_ini),
                                       (user_ini, 4, setup.virtual_store("syswow64"))):
            checks.expect(config.read(path) == settings(polygons) and not os.path.exists(source),
                          "%s moved to %s" % (os.path.relpath(source, s.prefix),
                                              os.path.relpath(path, s.prefix)))
        checks.expect(config.read(setup.virtual_store("system32")) == settings(6),
                      "the user's other VirtualStore copy stays")
        expect_figures(checks, s, 4, "the installing user's own settings")
        os.remove(user_ini)
        expect_figures(checks, s, 3, "without them, those beside it")

        # Every place a Frellis.ini could be: the uninstaller leaves none.
        for path in (wow64_ini, user_ini, setup.virtual_store("syswow64"),
                     setup.virtual_store("system32")):
            write(path, SETTINGS)
        checks.expect(setup.uninstall() == 0, "the silent uninstaller exits with 0")
        left = setup.left()
        checks.expect(left == [], "nothing of Frellis is left: %r" % left)


if __name__ == "__main__":
    harness.run({"installer_install_uninstall": install_uninstall,
                 "installer_interactive": interactive, "installer_upgrade": upgrade,
                 "installer_upgrade_from_0_1_0": upgrade_from_first_release})
