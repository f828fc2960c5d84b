"""Proves the harness on a Win32 program of our own: the preview host draws its grey client where
it says it is, and real key and button presses reach it through the window manager."""

import harness


def host_draws_and_gets_input(checks):
    with harness.Scenario("harness_selftest") as s:
        host, handle, (left, top, right, bottom) = s.start_host(200, 150, 320, 240)
        checks.expect(handle != 0 and (left, top, right, bottom) == (200, 150, 520, 390),
                      "the host reports its window and client area (%d %r)" %
                      (handle, (left, top, right, bottom)))
        shot = s.wait_for_picture(lambda shot: shot.pixel(360, 270) == (128, 128, 128))
        checks.expect(shot, "the host's client is grey")
        shot = shot or s.screenshot()
        checks.expect(shot.pixel(100, 100) == (0, 0, 0), "the screen around it is black")
        s.xdotool("mousemove", "300", "200", "click", "1")
        s.key("a")
        harness.wait_until(lambda: "key 65" in s.output(host), 20)
        output = s.output(host)
        checks.expect("button" in output, "a click reaches the host")
        checks.expect("key 65" in output, "a key press reaches the host")


if __name__ == "__main__":
    harness.run({"host_draws_and_gets_input": host_draws_and_gets_input})
