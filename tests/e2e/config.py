"""The configuration dialog as a user meets it: the values it shows come from the INI file
beside the executable (clamped), Enter writes all four keys and keeps the rest of the file,
Alt+F4 writes nothing and Escape does nothing."""

import os
import subprocess
import sys

import harness

# The dialog's texts are Japanese: the saver runs with a Japanese ANSI code page, as on the
# systems it was made for, so that the labels convert and render.
JAPANESE = {"LANG": "ja_JP.UTF-8", "LC_ALL": "ja_JP.UTF-8"}
EDITS = (1001, 1003, 1007, 1005)  # figures, corners, line count, speed


def open_dialog(s, args, cwd=None, env=JAPANESE):
    return wait_for_dialog(s, s.start(os.path.join(s.saver_dir, "frellis.scr"), args, env, cwd))


def wait_for_dialog(s, saver):
    """The settings dialog of the started saver, once shown and active: (process, dialog)."""
    # The dialog manager shows the dialog once WM_INITDIALOG has filled, placed and focused it.
    def shown_dialog():
        dialog = saver.poll() is None and s.dialog()
        return dialog if dialog and dialog["visible"] else None

    dialog = harness.wait_until(shown_dialog, 30, 0.3)
    if not dialog:
        raise AssertionError("the dialog did not open (%r)" % s.output(saver))
    s.activate("Frellis")
    return saver, dialog


def shown(dialog):
    return tuple(dialog["edits"][i] for i in EDITS)


def wait_for_boxes(s, expected):
    """The dialog once its boxes show the expected values (typed keys take a moment to arrive),
    or as it is when they do not in time (None when it is gone)."""
    last = [None]

    def showing():
        last[0] = s.dialog()
        return last[0] is not None and shown(last[0]) == expected

    harness.wait_until(showing, 20, 0.3)
    return last[0]


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return None


def ini_values(path):
    """{section: {key: value}} of an INI file, names as written."""
    sections, current = {}, None
    for line in read(path).decode("latin-1").splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], {})
        elif "=" in line and current is not None:
            key, _, value = line.partition("=")
            current[key.strip()] = value.strip()
    return sections


# Each row: the command line, the file's text (None: no file) and the values the boxes show.
LOADED_VALUES = [
    ([], None, ("2", "4", "16", "10")),
    (["/c"], "[Setting]\r\nPolygon=99\r\nPoint=1\r\nLine=abc\r\nSpeed=-5\r\n", ("8", "2", "1", "1")),
    (["-c"], "[Setting]\r\nPolygon=3\r\nPoint=12345678901\r\nLine=40\r\nSpeed=\r\n",
     ("3", "2", "32", "10")),
    # Another section's keys are not read; leading zeros are accepted and the platform's profile
    # reader drops the blanks around a value.
    (["/C"], "[Other]\r\nPolygon=7\r\n[Setting]\r\nSpeed=020\r\nLine= 5\r\n", ("2", "4", "5", "20")),
]


def dialog_picture(build):
    return os.path.join(harness.E2E_DIR, "artifacts", build, "config_dialog.png")


def shows_loaded_values(checks):
    with harness.Scenario("config_shows_loaded_values") as s:
        ini = os.path.join(s.saver_dir, "Frellis.ini")
        # A picture from an earlier run must not stand for this one's.
        artifact = dialog_picture(harness.BUILD)
        if os.path.exists(artifact):
            os.remove(artifact)
        for args, text, expected in LOADED_VALUES:
            name = " ".join(args) or "(no arguments)"
            if os.path.exists(ini):
                os.remove(ini)
            if text is not None:
                with open(ini, "w", newline="") as f:
                    f.write(text)
            before = read(ini)
            saver, dialog = open_dialog(s, args)
            checks.expect(shown(dialog) == expected, "%s: the boxes show %s (got %s)" %
                          (name, expected, shown(dialog)))
            checks.expect(dialog["focus"] == 1, "%s: the focus is on OK" % name)
            left, top, right, bottom = dialog["rect"]
            centre = ((left + right) // 2, (top + bottom) // 2)
            checks.expect(abs(centre[0] - s.width // 2) <= 1 and abs(centre[1] - s.height // 2) <= 1,
                          "%s: it is centred on the desktop (%r)" % (name, dialog["rect"]))
            if text is None:
                s.screenshot().save_png(artifact, crop=dialog["rect"])
                harness.log("the dialog's picture is kept in %s" % artifact)
            s.key("alt+F4")
            checks.expect(s.wait(saver, 30) == 0, "%s: Alt+F4 closes it with result 0" % name)
            checks.expect(read(ini) == before, "%s: and writes nothing" % name)
            s.end(saver)


def keys(checks):
    with harness.Scenario("config_keys") as s:
        ini = os.path.join(s.saver_dir, "Frellis.ini")
        with open(ini, "w", newline="") as f:
            f.write("[Other]\r\nKeep=yes\r\n[Setting]\r\nPolygon=3\r\nSpeed=25\r\n")
        saver, dialog = open_dialog(s, ["/c"])
        s.key("Escape")
        # Tab from OK reaches the figures box with its text selected; typing replaces it.
        s.key("Tab")
        s.xdotool("type", "--delay", "50", "7")
        typed = wait_for_boxes(s, ("7", "4", "16", "20"))
        checks.expect(typed and shown(typed) == ("7", "4", "16", "20"),
                      "the typed value shows in the figures box (%s)" % (typed and shown(typed),))
        # The keys after Escape were handled with the dialog open: Escape did not close it.
        checks.expect(saver.poll() is None and typed is not None, "Escape leaves the dialog open")
        s.key("Return")
        checks.expect(s.wait(saver, 30) == 1, "Enter closes the dialog with result 1")
        values = ini_values(ini)
        checks.expect(values.get("Setting") == {"Polygon": "7", "Point": "4", "Line": "16",
                                                "Speed": "20"},
                      "all four keys are written (%r)" % values.get("Setting"))
        checks.expect(values.get("Other") == {"Keep": "yes"}, "the file's other section is kept")


def beside_executable(checks):
    with harness.Scenario("config_beside_executable", saver_dir="with blanks/Saver Dir") as s:
        ini = os.path.join(s.saver_dir, "Frellis.ini")
        with open(ini, "w", newline="") as f:
            f.write("[Setting]\r\nPolygon=5\r\nLine=9\r\n")
        # Started from another folder, by a path with blanks in it.
        saver, dialog = open_dialog(s, ["/c"], cwd=s.scratch)
        checks.expect(shown(dialog) == ("5", "4", "9", "10"),
                      "the dialog shows the file beside the executable (%s)" % (shown(dialog),))
        s.key("Return")
        checks.expect(s.wait(saver, 30) == 1, "Enter closes it with result 1")
        checks.expect(ini_values(ini).get("Setting") == {"Polygon": "5", "Line": "9",
                                                         "Point": "4", "Speed": "10"},
                      "the values are written beside the executable")
        checks.expect(not os.path.exists(os.path.join(s.scratch, "Frellis.ini")),
                      "and not into the working folder")


def dialog_as_win64(checks):
    """The 32-bit product's dialog, its Japanese labels included, looks exactly as the 64-bit
    build's: the two runs' pictures of it are compared pixel for pixel."""
    pictures = [dialog_picture(build) for build in ("win64", "win32")]
    missing = [path for path in pictures if not os.path.exists(path)]
    if missing:
        print("skipped: no dialog picture at %s" % ", ".join(missing))
        sys.exit(harness.SKIP)
    pixels = [subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True,
                             capture_output=True).stdout for path in pictures]
    checks.expect(pixels[0] == pixels[1], "the dialogs in %s and %s are alike" % tuple(pictures))


if __name__ == "__main__":
    harness.run({"config_dialog_as_win64": dialog_as_win64,
                 "config_shows_loaded_values": shows_loaded_values,
                 "config_keys": keys,
                 "config_beside_executable": beside_executable})
