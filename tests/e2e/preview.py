"""Previews inside a stand-in for the display settings' preview box, and the command lines that
cannot run at all."""

import os

import harness

HOST = (200, 150, 320, 240)


def inside_host(checks):
    # "L" is a synonym of "P": both letters must behave the same.
    with harness.Scenario("preview_inside_host") as s:
        for letter in ("/p", "/l"):
            close_file = os.path.join(s.scratch, "close" + letter[1])
            host, handle, (left, top, right, bottom) = s.start_host(*HOST, close_file=close_file)
            saver = s.start_saver(letter, str(handle))
            def shown_child():
                found = s.children(handle)
                return found if any(child["visible"] for child in found) else None

            children = harness.wait_until(shown_child, 30, 0.3) or []
            checks.expect(len(children) == 1 and children[0]["class"] == "WindowsScreenSaverClass"
                          and children[0]["title"] == "Preview" and children[0]["visible"],
                          "%s: the saver's window is a visible child of the host (%r)" %
                          (letter, children))
            checks.expect(children and children[0]["rect"] == (left, top, right, bottom),
                          "%s: it covers exactly the host's client area" % letter)
            # Wine (8.0) does not show what a process draws with GDI into a child window whose
            # top-level window belongs to another process, so the trails themselves cannot be
            # seen here; what can be seen is that nothing is drawn outside the host.
            shot = s.screenshot()
            outside = shot.non_black_outside(left, top, right, bottom)
            checks.expect(outside == 0, "%s: nothing drawn outside the host (%d pixels)" %
                          (letter, outside))
            s.xdotool("mousemove", str(left + 50), str(top + 50), "click", "1")
            s.xdotool("mousemove", str(left + 150), str(top + 120))
            s.key("space", "Escape")
            # The keys have come once the host reports them (its window has the keyboard); the
            # click went to the saver's window before them. Nothing can be seen of the preview's
            # own loop (see above), so it is given a second to end, which it must not.
            checks.expect(harness.wait_until(lambda: "key 27" in s.output(host), 20),
                          "%s: the input has arrived" % letter)
            checks.expect(s.wait(saver, 1) is None, "%s: input does not end a preview" % letter)
            s.close_host(host, close_file)
            checks.expect(s.wait(saver, 30) == 0,
                          "%s: it ends with status 0 when the host window goes away" % letter)


def unrunnable_command_lines(checks):
    with harness.Scenario("unrunnable_command_lines") as s:
        close_file = os.path.join(s.scratch, "close")
        host, handle, _ = s.start_host(*HOST, close_file=close_file)
        s.close_host(host, close_file)
        # Its window is gone now, and the scenario's one Wine session gives no other window its
        # handle.
        stale = handle
        # Each row: the arguments after the program path; every one must give -1 (255).
        rows = [
            ["/p"],
            ["/p", "0"],
            ["/p:%d" % stale],
            ["/p", str(stale)],
            ["/l", str(stale)],
            ["/p", "4294967296"],  # wraps to 0
            ["/x"],
            ["/?"],
            ["7"],
            ["/a"],  # changing the password exists on the consumer platform only
        ]
        for args in rows:
            status, _ = s.run_wine([os.path.join(s.saver_dir, "frellis.scr")] + args, timeout=60)
            checks.expect(status == 255, "%s exits with 255 (got %s)" % (" ".join(args), status))


if __name__ == "__main__":
    harness.run({"preview_inside_host": inside_host,
                 "unrunnable_command_lines": unrunnable_command_lines})
