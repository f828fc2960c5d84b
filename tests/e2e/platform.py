"""The headless platform's statements about Win32 behaviour (tests/win32_behaviour), built for Windows
as platform_tests.exe and run here against Wine: a failure is a place where our substitute and
a real Win32 implementation differ."""

import os

import harness


def platform_tests_under_wine(checks):
    tests = os.path.join(harness.BUILD_DIR, "platform_tests.exe")
    if not os.path.exists(tests):
        print("skipped: %s was not built" % tests)
        raise SystemExit(harness.SKIP)
    with harness.Scenario("platform_tests_under_wine") as s:
        status, output = s.run_wine([tests, "--gtest_color=no"], timeout=90, cwd=s.scratch)
        print(output)
        checks.expect(status == 0, "every Win32 statement holds under Wine (status %s)" % status)


if __name__ == "__main__":
    harness.run({"platform_tests_under_wine": platform_tests_under_wine})
