"""Previews inside a stand-in for the display settings' preview box, and the command lines that
cannot run at all."""

import os
import time

import harness

HOST = (200, 150, 320, 240)


def inside_host(checks):
    # "L" is a synonym of "P": both letters must behave the same.
    with harness.Scenario("preview_inside_host") as s:
        for letter in ("/p", "/l"):
            close_file = os.path.join(s.scratch, "close" + letter[1])
            host, handle, (left, top, right, bottom) = s.start_host(*HOST, close_file=close_file)
            saver = s.start_saver(letter, str(handle))
            time.sleep(2)
            children = s.children(handle)
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
            time.sleep(1)
            checks.expect(saver.poll() is None, "%s: input does not end a preview" % letter)
            open(close_file, "w").close()
            checks.expect(s.wait(saver, 10) == 0,
                          "%s: it ends with status 0 when the host window goes away" % letter)
            s.wait(host, 5)


def unrunnable_command_lines(checks):
    with harness.Scenario("unrunnable_command_lines") as s:
        host, handle, _ = s.start_host(*HOST, seconds=1)
        s.wait(host, 10)
        stale = handle  # its window is gone now
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
            status, _ = s.run_wine([os.path.join(s.saver_dir, "frellis.scr")] + args, timeout=20)
            checks.expect(status == 255, "%s exits with 255 (got %s)" % (" ".join(args), status))


if __name__ == "__main__":
    harness.run({"preview_inside_host": inside_host,
                 "unrunnable_command_lines": unrunnable_command_lines})
