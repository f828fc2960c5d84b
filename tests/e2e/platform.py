"""GoogleTest executables built for Windows and run here under Wine:

- platform_tests.exe: the headless platform's statements about Win32 behaviour
  (tests/win32_behaviour); a failure is a place where our substitute and a real Win32
  implementation differ;
- wine_tests.exe: the product's saver window, animation and configuration dialog on the real
  window system (tests/wine), with the product's own resources.
"""

import os

import harness


def run_tests(checks, scenario, executable, what):
    tests = os.path.join(harness.BUILD_DIR, executable)
    if not os.path.exists(tests):
        print("skipped: %s was not built" % tests)
        raise SystemExit(harness.SKIP)
    with harness.Scenario(scenario) as s:
        status, output = s.run_wine([tests, "--gtest_color=no"], timeout=90, cwd=s.scratch)
        print(output)
        checks.expect(status == 0, "%s under Wine (status %s)" % (what, status))


def platform_tests_under_wine(checks):
    run_tests(checks, "platform_tests_under_wine", "platform_tests.exe",
              "every Win32 statement holds")


def wine_tests(checks):
    run_tests(checks, "wine_tests", "wine_tests.exe",
              "the saver window, the animation and the dialog behave")


if __name__ == "__main__":
    harness.run({"platform_tests_under_wine": platform_tests_under_wine,
                 "wine_tests": wine_tests})
