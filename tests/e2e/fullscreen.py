"""Full-screen runs as the user meets them: coloured trails on a black screen, the inputs that
end the run (and the small movements that don't), and a second start while one runs."""

import harness

# The cursor rests here when a scenario starts, so it is the saver's anchor for the mouse rule.
ANCHOR = (40, 40)


def start_fullscreen(s):
    """Starts a full-screen run and waits until it has drawn its trails; returns the process and
    that picture."""
    saver = s.start_saver("/s")
    if not s.wait_for_window("Screen Saver"):
        raise AssertionError("no full-screen window appeared")
    shot = s.wait_for_trails()
    if not shot:
        raise AssertionError("the full-screen window drew no trails")
    if not s.wait_for_keyboard("Screen Saver"):
        raise AssertionError("the full-screen window did not get the keyboard")
    return saver, shot


def draws_trails(checks):
    with harness.Scenario("fullscreen_draws_trails") as s:
        saver, first = start_fullscreen(s)
        first.save_png(harness.ARTIFACTS_DIR + "/fullscreen.png")
        sampled = (first.width // 2) * (first.height // 2)
        coloured = first.coloured()
        checks.expect(300 < coloured < sampled // 4,
                      "coloured trails on a mostly black screen (%d of %d sampled pixels)" %
                      (coloured, sampled))
        checks.expect(s.wait_for_frames(1), "the picture moves")
        checks.expect(s.window_exists("Screen Saver") and saver.poll() is None,
                      "the saver runs until input arrives")
        s.key("space")
        checks.expect(s.wait(saver, 30) == 0, "a key press ends it with status 0")


# Each row: what the user does after a few small movements, all of which stay within the
# 4-pixel threshold measured from where the cursor was when the saver started.
ENDING_INPUTS = [
    ("key press", ["key", "Shift_L"]),
    ("left button", ["click", "1"]),
    ("right button", ["click", "3"]),
    ("movement of 5 pixels", ["mousemove", str(ANCHOR[0] + 3), str(ANCHOR[1] + 2)]),
]
SMALL_MOVES = [(ANCHOR[0] + 1, ANCHOR[1]), (ANCHOR[0] + 2, ANCHOR[1] + 1),
               (ANCHOR[0] + 2, ANCHOR[1] + 2)]


def ends_on_input(checks):
    with harness.Scenario("fullscreen_ends_on_input") as s:
        for name, action in ENDING_INPUTS:
            s.xdotool("mousemove", *map(str, ANCHOR))
            saver, _ = start_fullscreen(s)
            for x, y in SMALL_MOVES:
                s.xdotool("mousemove", str(x), str(y))
            # Two new pictures: the saver has handled the movements (and would have closed).
            checks.expect(s.wait_for_frames() and saver.poll() is None,
                          "%s: movements adding up to 4 pixels leave it running" % name)
            s.xdotool(*action)
            checks.expect(s.wait(saver, 30) == 0, "%s ends it with status 0" % name)


def second_start(checks):
    with harness.Scenario("fullscreen_second_start") as s:
        first, _ = start_fullscreen(s)
        second = s.start_saver("/s")
        checks.expect(s.wait(second, 30) == 0, "a second full-screen start exits with status 0")
        animating = s.wait_for_frames()
        checks.expect(first.poll() is None, "the first one is still running")
        checks.expect(animating, "and still animating")
        s.key("space")
        checks.expect(s.wait(first, 30) == 0, "the first one ends on a key press with status 0")


if __name__ == "__main__":
    harness.run({"fullscreen_draws_trails": draws_trails,
                 "fullscreen_ends_on_input": ends_on_input,
                 "fullscreen_second_start": second_start})
