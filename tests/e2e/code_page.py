"""Names outside the ANSI code page (1252 here), with the saver started as Explorer starts it,
through CreateProcessW (the launcher stand-in, which also gives it the profile's APPDATA). For a
profile whose name the code page turns into a look-alike (another user's folder, a decoy here)
or into '?', with the folder beside the saver locked: OK saves into the user's own file by its
real name, and the full-screen run draws with it. For a saver in a folder so named: the dialog
reads the Frellis.ini beside it, and OK writes it there."""

import os
import shutil
import subprocess

import config
import harness
import user_settings

DEFAULTS = ("2", "4", "16", "10")
# Typed into the first three boxes: one figure, two corners, a trail of one, a single line in a
# single colour.
ONE_LINE = ("1", "2", "1")
DECOY = "[Setting]\r\nPolygon=8\r\nPoint=8\r\nLine=32\r\nSpeed=20\r\n"
# Each row: what it shows, the profile's folder below C:\users (None: the prefix's own APPDATA),
# the folder its name would become in the code page (a decoy with settings of its own, None:
# none), the saver's folder (locked or not), the file beside the saver, what the dialog shows
# when it opens, what is typed into its first boxes, what OK saves and into which file.
ROWS = [
    ("best fit", "Ōkubo", "Okubo", "System32", True, None, DEFAULTS, ONE_LINE,
     ONE_LINE + ("10",), "user"),
    ("no fit", "Дмитрий", None, "System32", True, None, DEFAULTS, ONE_LINE, ONE_LINE + ("10",),
     "user"),
    ("saver folder", None, None, "Загрузки ダウンロード", False,
     "[Setting]\r\nPolygon=5\r\nLine=9\r\n", ("5", "4", "9", "10"), (), ("5", "4", "9", "10"),
     "beside"),
]


def windows_path(path):
    """A host path as Wine's drive Z: names it."""
    return "Z:" + path.replace("/", "\\")


def start(s, appdata, saver, *args):
    return s.start(s.standin("launcher.exe"), [appdata, windows_path(saver)] + list(args))


def open_dialog(s, appdata, saver):
    return config.wait_for_dialog(s, start(s, appdata, saver, "/c"))


def draws_one_line(checks, s, what, appdata, saver):
    process = start(s, appdata, saver, "/s")
    checks.expect(s.wait_for_window("Screen Saver"), "%s: the full-screen run starts" % what)
    shot = s.wait_for_picture(lambda shot: any(
        max(colour) - min(colour) >= 40 for colour in user_settings.distinct_colours(shot)))
    checks.expect(s.wait_for_keyboard("Screen Saver"), "%s: and has the keyboard" % what)
    colours = user_settings.distinct_colours(shot or s.screenshot())
    # A copy to the screen may catch one tick's line beside the next one's, a hue step apart.
    checks.expect(1 <= len(colours) <= 2, "%s: it draws one figure with a trail of one "
                  "(%d colours on screen)" % (what, len(colours)))
    s.key("space")
    checks.expect(s.wait(process, 30) == 0, "%s: a key ends it" % what)


def code_page_names(checks):
    user_settings.undo_leftover_locks("code_page_names")
    with harness.Scenario("code_page_names", saver_dir="System32") as s:
        users = os.path.join(s.prefix, "drive_c", "users")
        own_folder = user_settings.user_folder(s)
        made = []
        try:
            for (what, profile, decoy, folder, locked, beside, opened, typed, saved,
                 saved_in) in ROWS:
                saver_dir = os.path.join(s.scratch, folder)
                if not os.path.exists(saver_dir):
                    os.makedirs(saver_dir)
                    shutil.copy(os.path.join(s.saver_dir, "frellis.scr"), saver_dir)
                saver = os.path.join(saver_dir, "frellis.scr")
                beside_ini = os.path.join(saver_dir, "Frellis.ini")
                if beside is not None:
                    with open(beside_ini, "w", newline="") as f:
                        f.write(beside)
                appdata, user_ini = "-", os.path.join(own_folder, "Frellis.ini")
                subprocess.run(["rm", "-rf", own_folder], check=True)
                if profile:
                    roaming = os.path.join(users, profile, "AppData", "Roaming")
                    os.makedirs(roaming)
                    made.append(os.path.join(users, profile))
                    appdata = "C:\\users\\%s\\AppData\\Roaming" % profile
                    user_ini = os.path.join(roaming, "Frellis", "Frellis.ini")
                decoy_ini = decoy and os.path.join(users, decoy, "AppData", "Roaming", "Frellis",
                                                   "Frellis.ini")
                if decoy:
                    os.makedirs(os.path.dirname(decoy_ini))
                    made.append(os.path.join(users, decoy))
                    with open(decoy_ini, "w", newline="") as f:
                        f.write(DECOY)
                if locked and not user_settings.lock(saver_dir):
                    print("skipped: chattr +i cannot make %s unwritable here" % saver_dir)
                    raise SystemExit(harness.SKIP)
                try:
                    process, dialog = open_dialog(s, appdata, saver)
                    acp = s.output(process).split()
                    checks.expect(acp[:2] == ["acp", "1252"],
                                  "%s: the code page is 1252 (%r)" % (what, acp[:2]))
                    checks.expect(config.shown(dialog) == opened, "%s: the dialog shows %s (%s)" %
                                  (what, opened, config.shown(dialog)))
                    for text in typed:
                        s.key("Tab")
                        s.xdotool("type", "--delay", "50", text)
                    if typed:
                        config.wait_for_boxes(s, saved)
                    s.key("Return")
                    checks.expect(s.wait(process, 30) == 1,
                                  "%s: Enter closes the dialog with result 1" % what)
                    written = beside_ini if saved_in == "beside" else user_ini
                    values = os.path.exists(written) and config.ini_values(written).get("Setting")
                    checks.expect(values == dict(zip(("Polygon", "Point", "Line", "Speed"), saved)),
                                  "%s: all four keys are in the %s file (%r)" %
                                  (what, saved_in, values))
                    if saved_in == "user":
                        checks.expect(not os.path.exists(beside_ini),
                                      "%s: nothing is written beside the saver" % what)
                    else:
                        checks.expect(not os.path.exists(user_ini),
                                      "%s: nothing is written to the user's file" % what)
                    if decoy:
                        checks.expect(config.read(decoy_ini) == DECOY.encode() and
                                      os.listdir(os.path.dirname(decoy_ini)) == ["Frellis.ini"],
                                      "%s: the look-alike's folder is neither read nor written" %
                                      what)
                    if typed:
                        draws_one_line(checks, s, what, appdata, saver)
                finally:
                    if locked:
                        subprocess.run(["chattr", "-i", saver_dir], check=True)
        finally:
            for folder in made:
                shutil.rmtree(folder, ignore_errors=True)
            subprocess.run(["rm", "-rf", own_folder], check=True)


if __name__ == "__main__":
    harness.run({"code_page_names": code_page_names})
