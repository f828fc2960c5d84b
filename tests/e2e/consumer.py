"""The older consumer platform (Wine told to report platform id 1 for the saver): the password
question before a full-screen run may close, and the password-change mode, each against a
stand-in component that records how it was called."""

import os
import time

import harness

APP_DEFAULTS = r"HKCU\Software\Wine\AppDefaults\frellis.scr"
DESKTOP = r"HKCU\Control Panel\Desktop"


def consumer_platform(s):
    s.registry(APP_DEFAULTS, "Version", "REG_SZ", "win98")


def lines(path):
    try:
        with open(path) as f:
            return f.read().split("\n")
    except FileNotFoundError:
        return []


# The product asks no new question within this long after the last one ended
# (kVerificationDebounceMs, src/host/password.h), with a margin.
DEBOUNCE = 0.5


def password(checks):
    with harness.Scenario("consumer_password") as s:
        consumer_platform(s)
        s.registry(DESKTOP, "ScreenSaveUsePassword", "REG_DWORD", "1")
        s.install_standin("PASSWORD.CPL")
        # The first question is refused, the second accepted; each keeps its window open until
        # the test releases it (verify_release.txt), so that all the input below arrives while
        # it is open however slow the machine; the bound is for a test that never releases it.
        hold_ms = 120000 * harness.PATIENCE
        for name, text in (("verify_answer.txt", "0 1\n"), ("verify_hold_ms.txt", "%d\n" % hold_ms)):
            with open(os.path.join(s.saver_dir, name), "w") as f:
                f.write(text)
        calls_file = os.path.join(s.saver_dir, "verify_calls.txt")

        def calls():
            return [line for line in lines(calls_file) if line.startswith("call")]

        def answered(count):
            return lambda: lines(calls_file).count("done") >= count

        saver = s.start_saver("/s")
        checks.expect(s.wait_for_window("Screen Saver"), "the full-screen window opens")
        checks.expect(s.wait_for_trails(), "and draws")
        checks.expect(s.wait_for_keyboard("Screen Saver"), "and has the keyboard")
        s.key("space")
        checks.expect(harness.wait_until(lambda: calls(), 20), "a key press asks for the password")
        # While the question is open the user goes on typing, clicking and moving the mouse.
        for action in (["key", "a"], ["click", "1"], ["mousemove", "600", "400"], ["key", "b"],
                       ["mousemove", "100", "700"], ["key", "Return"]):
            s.xdotool(*action)
        # The input comes in order: once the question's loop has seen Return go up, it has seen
        # all of it.
        checks.expect(harness.wait_until(lambda: "keyup 13" in lines(calls_file), 20),
                      "the input reaches the open question")
        open(os.path.join(s.saver_dir, "verify_release.txt"), "w").close()
        checks.expect(harness.wait_until(answered(1), 20), "the refusal comes back")
        # Two new pictures: the saver is back in its own loop and has handled all that came.
        drawn_again = s.wait_for_frames()
        checks.expect(drawn_again and saver.poll() is None,
                      "a refused password keeps the saver running")
        checks.expect(len(calls()) == 1, "and it asked once however much input came (%r)" %
                      calls())
        checks.expect(calls() and calls()[0].split()[1] != "0",
                      "the question names the saver window")
        # The question ended before that picture was drawn; the next key press must come after
        # the pause in which the product asks nothing.
        time.sleep(max(0.0, (drawn_again or 0) + DEBOUNCE - time.monotonic()))
        s.key("space")
        checks.expect(harness.wait_until(lambda: len(calls()) == 2, 20),
                      "the next key press asks again")
        checks.expect(s.wait(saver, 20) == 0, "an accepted password ends it with status 0")
        checks.expect(len(calls()) == 2, "after two questions in all (%r)" % calls())


def change_password(checks):
    with harness.Scenario("consumer_change_password") as s:
        consumer_platform(s)
        s.install_standin("mpr.dll")
        host, handle, _ = s.start_host(100, 100, 200, 150)  # open until the scenario ends
        status, _ = s.run_wine([os.path.join(s.saver_dir, "frellis.scr"), "/a", str(handle)],
                               extra_env={"WINEDLLOVERRIDES": "mscoree,mshtml=;winedbg.exe=d;mpr=n,b"})
        checks.expect(status == 0, "/a exits with status 0 (got %s)" % status)
        recorded = [line for line in lines(os.path.join(s.saver_dir, "pwd_change_calls.txt"))
                    if line]
        checks.expect(recorded == ["SCRSAVE %d 1 0 0" % handle],
                      "the password-change component is called once with \"SCRSAVE\" and the "
                      "owner window (%r)" % recorded)


if __name__ == "__main__":
    harness.run({"consumer_password": password,
                 "consumer_change_password": change_password})
