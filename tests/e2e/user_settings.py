"""Settings in a folder that cannot be written, as a standard user meets them when the saver lies
in the system folder: OK saves to the user's own %APPDATA%\\Frellis\\Frellis.ini, the next
dialog shows those values and the full-screen run draws with them. The saver's folder is made
immutable (chattr +i), which even root cannot write into, and is always made writable again."""

import glob
import os
import subprocess

import config
import harness


def user_folder(s):
    """The Frellis folder below the prefix's APPDATA for the one user Wine made."""
    roaming = [path for path in glob.glob(os.path.join(s.prefix, "drive_c", "users", "*",
                                                       "AppData", "Roaming"))
               if os.sep + "Public" + os.sep not in path]
    if len(roaming) != 1:
        raise AssertionError("no single user's APPDATA in the prefix: %r" % roaming)
    return os.path.join(roaming[0], "Frellis")


def lock(folder):
    """Makes the folder immutable; False, with the folder as it was, where the file system or the
    user cannot."""
    if subprocess.run(["chattr", "+i", folder], capture_output=True).returncode != 0:
        return False
    try:
        open(os.path.join(folder, "probe"), "w").close()
    except OSError:
        return True
    os.remove(os.path.join(folder, "probe"))
    subprocess.run(["chattr", "-i", folder], check=True)
    return False


def undo_leftover_locks(name):
    """A run ended by force inside a scenario leaves its folders immutable, which the next run
    could neither clear nor write: they are made writable again before anything else."""
    prefix = harness.load_state()["prefix"]
    for path in [os.path.join(harness.RUN_DIR, "scratch", name)] + glob.glob(
            os.path.join(prefix, "drive_c", "users", "*", "AppData", "Roaming")):
        if os.path.exists(path):
            subprocess.run(["chattr", "-R", "-i", path], capture_output=True)


def distinct_colours(shot):
    """The colours of the screen's pixels that are not black."""
    colours = set()
    data = shot.data
    for i in range(0, len(data), 3):
        if data[i] or data[i + 1] or data[i + 2]:
            colours.add(data[i:i + 3])
    return colours


def user_file_in_locked_folder(checks):
    undo_leftover_locks("config_user_file_in_locked_folder")
    # The saver in a folder of its own: the scenario keeps its logs in the scratch folder above.
    with harness.Scenario("config_user_file_in_locked_folder", saver_dir="System32") as s:
        ini = os.path.join(s.saver_dir, "Frellis.ini")
        user_ini = os.path.join(user_folder(s), "Frellis.ini")
        subprocess.run(["rm", "-rf", user_folder(s)], check=True)
        if not lock(s.saver_dir):
            print("skipped: chattr +i cannot make %s unwritable here" % s.saver_dir)
            raise SystemExit(harness.SKIP)
        try:
            # One figure, two corners, a trail of one: a single line in a single colour.
            saver, dialog = config.open_dialog(s, ["/c"])
            for text in ("1", "2", "1"):
                s.key("Tab")
                s.xdotool("type", "--delay", "50", text)
            typed = config.wait_for_boxes(s, ("1", "2", "1", "10"))
            checks.expect(typed and config.shown(typed) == ("1", "2", "1", "10"),
                          "the typed values show (%s)" % (typed and config.shown(typed),))
            s.key("Return")
            checks.expect(s.wait(saver, 30) == 1, "Enter closes the dialog with result 1")
            checks.expect(not os.path.exists(ini), "nothing is written beside the executable")
            checks.expect(os.path.exists(user_ini) and config.ini_values(user_ini).get(
                "Setting") == {"Polygon": "1", "Point": "2", "Line": "1", "Speed": "10"},
                          "all four keys are in the user's own file")

            saver, dialog = config.open_dialog(s, ["/c"])
            checks.expect(config.shown(dialog) == ("1", "2", "1", "10"),
                          "the next dialog shows them (%s)" % (config.shown(dialog),))
            s.key("alt+F4")
            checks.expect(s.wait(saver, 30) == 0, "Alt+F4 closes it")

            saver = s.start_saver("/s")
            checks.expect(s.wait_for_window("Screen Saver"), "the full-screen run starts")
            # The first picture with the figure's line on it.
            shot = s.wait_for_picture(lambda shot: any(
                max(colour) - min(colour) >= 40 for colour in distinct_colours(shot)))
            checks.expect(shot, "and draws")
            checks.expect(s.wait_for_keyboard("Screen Saver"), "and has the keyboard")
            shot = shot or s.screenshot()
            shot.save_png(os.path.join(harness.ARTIFACTS_DIR, "fullscreen_user_settings.png"))
            colours = distinct_colours(shot)
            # Two colours at most: a copy to the screen may catch one tick's line beside the
            # next one's, a hue step apart. The defaults show dozens (two trails of 16 shades).
            checks.expect(1 <= len(colours) <= 2,
                          "the full-screen run draws one figure with a trail of one "
                          "(%d colours on screen)" % len(colours))
            s.key("space")
            checks.expect(s.wait(saver, 30) == 0, "a key ends it")
        finally:
            subprocess.run(["chattr", "-i", s.saver_dir], check=True)
            subprocess.run(["rm", "-rf", user_folder(s)], check=True)


def frellis_windows(s):
    """How many top-level windows are titled "Frellis": the dialog, and a message box over it."""
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Frellis$"],
                            env={**os.environ, "DISPLAY": s.display}, capture_output=True,
                            text=True)
    return len(result.stdout.split())


# The lines before the first file and before the second in the system's language, and the
# locale that picks them.
MESSAGE_LANGUAGES = [
    ("ja", config.JAPANESE, "設定を次のファイルに保存できませんでした：",
     "次のファイルにも保存できませんでした："),
    ("en", {"LANG": "en_US.UTF-8", "LC_ALL": "en_US.UTF-8"}, "The settings could not be saved to",
     "Nor could they be saved to"),
]


def nowhere_to_save(checks):
    undo_leftover_locks("config_nowhere_to_save")
    with harness.Scenario("config_nowhere_to_save", saver_dir="System32") as s:
        roaming = os.path.dirname(user_folder(s))
        subprocess.run(["rm", "-rf", user_folder(s)], check=True)
        locked = []
        try:
            for folder in (s.saver_dir, roaming):
                if not lock(folder):
                    print("skipped: chattr +i cannot make %s unwritable here" % folder)
                    raise SystemExit(harness.SKIP)
                locked.append(folder)
            for name, env, sentence, nor in MESSAGE_LANGUAGES:
                saver, dialog = config.open_dialog(s, ["/c"], env=env)
                dialog_window = s.x_windows("Frellis")
                s.key("Return")
                checks.expect(harness.wait_until(lambda: frellis_windows(s) == 2, 20),
                              "%s: OK brings up a message box over the dialog" % name)
                box = [w for w in s.x_windows("Frellis") if w not in dialog_window]
                checks.expect(box and s.wait_for_keyboard(window=box[0]),
                              "%s: the box has the keyboard" % name)
                s.screenshot().save_png(
                    os.path.join(harness.ARTIFACTS_DIR, "save_failed_%s.png" % name))
                # The box is the topmost window titled so: the probe reads its texts.
                status, output = s.run_wine([s.standin("window_probe.exe"), "labels"])
                harness.log("the message box says: %r" % output)
                # Each file tried, with the system's reason below it.
                lines = [line for line in output.splitlines() if line.strip()]
                checks.expect(len(lines) == 6 and lines[0] == sentence and lines[3] == nor,
                              "%s: it says that nothing was saved, to either file (%r)" %
                              (name, lines[0:1] + lines[3:4]))
                checks.expect(len(lines) == 6 and lines[1].endswith("\\System32\\Frellis.ini") and
                              lines[4].endswith("\\AppData\\Roaming\\Frellis\\Frellis.ini"),
                              "%s: first the file beside the saver, then the user's own" % name)
                checks.expect(len(lines) == 6 and not lines[2].endswith(".ini") and
                              not lines[5].endswith(".ini"),
                              "%s: each with the system's reason" % name)
                s.key("Return")
                checks.expect(harness.wait_until(lambda: frellis_windows(s) == 1, 20) and
                              saver.poll() is None,
                              "%s: the box goes and the dialog stays open" % name)
                # The keyboard comes back to the dialog, but not always at once: Alt+F4 pressed
                # before then closes nothing.
                s.activate("Frellis")
                checks.expect(s.wait_for_keyboard("Frellis"), "%s: the dialog has the keyboard" %
                              name)
                s.key("alt+F4")
                checks.expect(s.wait(saver, 30) == 0,
                              "%s: Alt+F4 then closes it with result 0" % name)
            checks.expect(not os.path.exists(os.path.join(s.saver_dir, "Frellis.ini")) and
                          not os.path.exists(user_folder(s)), "nothing was written")
        finally:
            for folder in locked:
                subprocess.run(["chattr", "-i", folder], check=True)


if __name__ == "__main__":
    harness.run({"config_user_file_in_locked_folder": user_file_in_locked_folder,
                 "config_nowhere_to_save": nowhere_to_save})
