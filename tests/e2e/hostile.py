"""Hostile input end to end: settings files that are no INI text at all, and handle and owner
texts far longer than any handle. Every run ends with the exit code its mode gives, and nothing in
the saver's folder changes except the settings file, and that only when OK is pressed."""

import os
import random

import config
import harness

DEFAULTS = ("2", "4", "16", "10")
LONG = 2000


def folder_state(s):
    """Every file and folder under the saver's folder with its bytes, leaving out the harness's
    own output files."""
    state = {}
    for root, folders, files in os.walk(s.saver_dir):
        for name in folders:
            state[os.path.relpath(os.path.join(root, name), s.saver_dir) + "/"] = None
        for name in files:
            if not name.endswith(".out"):
                path = os.path.join(root, name)
                state[os.path.relpath(path, s.saver_dir)] = config.read(path)
    return state


def changed(before, after):
    return sorted(name for name in set(before) | set(after) if before.get(name) != after.get(name))


def full_screen_run(s, checks, what):
    before = folder_state(s)
    saver = s.start_saver("/s")
    checks.expect(s.wait_for_window("Screen Saver"), "%s: the full-screen window appears" % what)
    checks.expect(s.wait_for_trails(), "%s: it draws" % what)
    checks.expect(s.wait_for_keyboard("Screen Saver"), "%s: it has the keyboard" % what)
    checks.expect(s.wait_for_frames(1), "%s: the picture moves" % what)
    s.key("space")
    checks.expect(s.wait(saver, 30) == 0, "%s: a key ends it with status 0" % what)
    checks.expect(changed(before, folder_state(s)) == [], "%s: nothing changes" % what)
    s.end(saver)


def dialog_closed_unchanged(s, checks, what, args, expected=DEFAULTS):
    before = folder_state(s)
    saver, dialog = config.open_dialog(s, args)
    checks.expect(config.shown(dialog) == expected, "%s: the boxes show %s (got %s)" %
                  (what, expected, config.shown(dialog)))
    s.key("alt+F4")
    checks.expect(s.wait(saver, 30) == 0, "%s: Alt+F4 closes it with status 0" % what)
    checks.expect(changed(before, folder_state(s)) == [], "%s: nothing changes" % what)
    s.end(saver)


def settings_files(checks):
    with harness.Scenario("hostile_settings_files") as s:
        ini = os.path.join(s.saver_dir, "Frellis.ini")
        # A fixed seed, so that a failure can be repeated; a random MiB holds no "[Setting]".
        noise = random.Random(12).randbytes(1 << 20)
        with open(ini, "wb") as f:
            f.write(noise)
        full_screen_run(s, checks, "a random MiB")
        dialog_closed_unchanged(s, checks, "a random MiB", ["/c"])

        # OK writes the four keys into the file and nothing else anywhere.
        before = folder_state(s)
        saver, _ = config.open_dialog(s, ["/c"])
        s.key("Tab")
        s.xdotool("type", "--delay", "50", "7")
        typed = config.wait_for_boxes(s, ("7",) + DEFAULTS[1:])
        checks.expect(typed and config.shown(typed) == ("7",) + DEFAULTS[1:],
                      "a random MiB: the typed value shows")
        s.key("Return")
        checks.expect(s.wait(saver, 20) == 1, "a random MiB: Enter closes the dialog with 1")
        checks.expect(changed(before, folder_state(s)) == ["Frellis.ini"],
                      "a random MiB: only the settings file changed (%s)" %
                      changed(before, folder_state(s)))
        dialog_closed_unchanged(s, checks, "a random MiB, after OK", ["/c"],
                                ("7",) + DEFAULTS[1:])

        # A settings file that cannot be written at all: only reading is hostile input here;
        # what OK does then is the configuration's own behaviour, tested with it.
        os.remove(ini)
        os.mkdir(ini)
        full_screen_run(s, checks, "a folder")
        dialog_closed_unchanged(s, checks, "a folder", ["/c"])


# Each row: the arguments and the exit status the shell sees (255 for -1). /p 0 and the other
# short malformed handles are the unrunnable command lines' own rows.
NINES = "9" * LONG
ROWS = [
    (["/p", "-1"], 255),
    (["/p", "99999999999"], 255),  # wraps to 1215752191, which names no window
    (["/p", NINES], 255),  # wraps to 4294967295, no window either
    (["/l", "x" * LONG], 255),
    (["/a", NINES], 255),  # no password change off the consumer platform, however long the owner
]


def long_handles(checks):
    with harness.Scenario("hostile_handles") as s:
        before = folder_state(s)
        for args, expected in ROWS:
            status, _ = s.run_wine([os.path.join(s.saver_dir, "frellis.scr")] + args, timeout=60)
            checks.expect(status == expected, "%s %s... exits with %d (got %s)" %
                          (args[0], args[1][:12], expected, status))
        checks.expect(changed(before, folder_state(s)) == [], "nothing changes")
        # An owner that names no window leaves the dialog to the foreground window.
        dialog_closed_unchanged(s, checks, "/c: and 2,000 digits", ["/c:" + NINES])


if __name__ == "__main__":
    harness.run({"hostile_settings_files": settings_files, "hostile_handles": long_handles})
