"""The end-to-end harness: a private X display (Xvfb with openbox, so that keyboard input reaches
Wine's windows), a private Wine prefix booted once per test run, the saver run from a scratch
folder per scenario, real input through xdotool (XTEST) and screenshots through import.

A run drives one build, named by FRELLIS_E2E_BUILD: win64 (the default), the 64-bit saver under
wine64, or win32, the 32-bit product under 32-bit Wine, which qemu-i386 emulates here
(scripts/wine32.sh). Scenarios take the saver, the Wine loader and the cross compiler from here.

The setup fixture (fixture.py setup) writes the run's state to <run>/state.json; every scenario
reads it, runs inside `Scenario`, which ends every process the scenario started, and exits with
SKIP (77) when the machine lacks what the harness needs.
"""

import json
import os
import shutil
import signal
import subprocess
import sys
import time

SKIP = 77

SOURCE_DIR = os.environ.get(
    "FRELLIS_SOURCE_DIR", os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
E2E_DIR = os.environ.get("FRELLIS_E2E_DIR", os.path.join(SOURCE_DIR, "build", "e2e-run"))
# Per build (named as its CMake preset and as WINEARCH names the prefix's architecture): the
# cross compiler and its CMake toolchain file.
BUILDS = {
    "win64": ("x86_64-w64-mingw32-gcc", "mingw-x86_64.cmake"),
    "win32": ("i686-w64-mingw32-gcc", "mingw-i686.cmake"),
}
BUILD = os.environ.get("FRELLIS_E2E_BUILD", "win64")
if BUILD not in BUILDS:
    sys.exit("FRELLIS_E2E_BUILD must be one of %s, not %r" % (", ".join(BUILDS), BUILD))
CROSS_CC, TOOLCHAIN = BUILDS[BUILD]
BUILD_DIR = os.environ.get("FRELLIS_BUILD_DIR", os.path.join(SOURCE_DIR, "build", BUILD))
RUN_DIR = os.path.join(E2E_DIR, "run", BUILD)
ARTIFACTS_DIR = os.path.join(E2E_DIR, "artifacts", BUILD)
STANDINS_DIR = os.path.join(RUN_DIR, "standins")
STATE_FILE = os.path.join(RUN_DIR, "state.json")
SAVER = os.path.join(BUILD_DIR, "frellis.scr")
# Every wait in a scenario is for a condition (a window that exists, a picture that is drawn, a
# file that is written, a process that has ended), polled up to a bound that only a failing run
# reaches: the bounds are generous, for a machine busy with other work, and emulated 32-bit Wine,
# which starts a program several times slower, gets PATIENCE times each of them. A run that passes
# waits no longer for them.
PATIENCE = 4 if BUILD == "win32" else 1


def find_wine():
    """The build's Wine loader. Debian keeps the 64-bit one out of PATH; the 32-bit one runs
    through qemu-i386, registered in a namespace of its own by scripts/wine32.sh."""
    if BUILD == "win32":
        needed = ("/usr/lib/wine/wine", "/usr/bin/qemu-i386", shutil.which("unshare") or "")
        if all(path and os.access(path, os.X_OK) for path in needed):
            return os.path.join(SOURCE_DIR, "scripts", "wine32.sh")
        return None
    for candidate in ("/usr/lib/wine/wine64", shutil.which("wine64") or ""):
        if candidate and os.access(candidate, os.X_OK):
            return candidate
    return None


def find_wineserver():
    for candidate in ("/usr/lib/wine/wineserver", shutil.which("wineserver") or ""):
        if candidate and os.access(candidate, os.X_OK):
            return candidate
    return None


def missing_tools():
    """Names of the programs the harness needs and cannot find."""
    missing = [] if find_wine() else ["wine32 and qemu-i386" if BUILD == "win32" else "wine64"]
    if not find_wineserver():
        missing.append("wineserver")
    for tool in ("Xvfb", "openbox", "xdotool", "import", CROSS_CC):
        if not shutil.which(tool):
            missing.append(tool)
    return missing


def skip_unless_tools():
    missing = missing_tools()
    if missing:
        print("skipped: missing " + ", ".join(missing))
        sys.exit(SKIP)


def wait_until(condition, timeout, interval=0.1):
    """Polls condition until it holds or timeout seconds (times PATIENCE) pass; returns its last
    value."""
    deadline = time.monotonic() + timeout * PATIENCE
    while True:
        value = condition()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


def log(message):
    print("[%7.2f] %s" % (time.monotonic() % 10000, message), flush=True)


def wine_env(display, prefix, extra=None):
    env = dict(os.environ)
    env.update({
        "DISPLAY": display,
        "WINEPREFIX": prefix,
        "WINEARCH": BUILD,
        "WINEDEBUG": "-all",
        # No Mono or Gecko installer dialogs while booting the prefix, and no debugger that
        # would hold a crashed program open until the scenario times out.
        "WINEDLLOVERRIDES": "mscoree,mshtml=;winedbg.exe=d",
        "LANG": "C.UTF-8",
    })
    env.update(extra or {})
    return env


def load_state():
    try:
        with open(STATE_FILE) as f:
            return json.load(f)
    except OSError:
        print("skipped: no e2e run state at %s (the setup fixture did not run)" % STATE_FILE)
        sys.exit(SKIP)


def cpu_seconds(pid):
    """User and system CPU time a process has used, in seconds."""
    with open("/proc/%d/stat" % pid) as f:
        # The fields after the command name, which is in parentheses and may hold blanks.
        rest = f.read().rsplit(")", 1)[1].split()
    return (int(rest[11]) + int(rest[12])) / os.sysconf("SC_CLK_TCK")


def alive(pid):
    try:
        os.kill(pid, 0)
        return True
    except OSError:
        return False


def kill_group(pid):
    """Ends the process group that a harness-started process leads, then the process itself."""
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(pid, sig)
        except OSError:
            pass
        deadline = time.monotonic() + 2
        while alive(pid) and time.monotonic() < deadline:
            try:
                os.waitpid(pid, os.WNOHANG)
            except OSError:
                pass
            time.sleep(0.05)
        if not alive(pid):
            return


class Screenshot:
    """The whole screen as raw 24-bit RGB."""

    def __init__(self, display, width, height):
        self.width, self.height = width, height
        self.data = subprocess.run(
            ["import", "-display", display, "-window", "root", "-depth", "8", "rgb:-"],
            check=True, capture_output=True).stdout
        if len(self.data) != width * height * 3:
            raise RuntimeError("screenshot has %d bytes, expected %d" %
                               (len(self.data), width * height * 3))

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def coloured(self, left=0, top=0, right=None, bottom=None, step=2):
        """How many sampled pixels in the rectangle are clearly coloured (not black, not grey)."""
        right = self.width if right is None else right
        bottom = self.height if bottom is None else bottom
        count = 0
        for y in range(max(top, 0), min(bottom, self.height), step):
            row = self.data[(y * self.width) * 3:(y * self.width + self.width) * 3]
            for x in range(max(left, 0), min(right, self.width), step):
                r, g, b = row[x * 3], row[x * 3 + 1], row[x * 3 + 2]
                if max(r, g, b) - min(r, g, b) >= 40:
                    count += 1
        return count

    def non_black_outside(self, left, top, right, bottom):
        """How many pixels outside the rectangle are not black (every pixel is looked at)."""
        count = 0
        stride = self.width * 3
        for y in range(self.height):
            row = self.data[y * stride:(y + 1) * stride]
            if top <= y < bottom:
                parts = (row[:max(left, 0) * 3], row[min(right, self.width) * 3:])
            else:
                parts = (row,)
            for part in parts:
                if part.count(0) != len(part):
                    count += sum(1 for i in range(0, len(part), 3) if any(part[i:i + 3]))
        return count

    def save_png(self, path, crop=None):
        """Writes the screen, or the (left, top, right, bottom) part of it, as a PNG file."""
        os.makedirs(os.path.dirname(path), exist_ok=True)
        args = ["convert", "-size", "%dx%d" % (self.width, self.height), "-depth", "8", "rgb:-"]
        if crop:
            left, top, right, bottom = crop
            args += ["-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top), "+repage"]
        subprocess.run(args + [path], input=self.data, check=True)


class Scenario:
    """One scenario: a scratch folder holding a copy of the saver, the processes it started (all
    ended when it finishes, Wine's own included), input and screenshots on the run's display."""

    def __init__(self, name, saver_dir=None, one_session=True, screen=None):
        """screen: (display, width, height) of an X server the scenario runs itself, to use
        instead of the run's; the run's Wine prefix serves it too."""
        skip_unless_tools()
        self.state = load_state()
        if not os.path.exists(SAVER):
            print("skipped: %s was not built" % SAVER)
            sys.exit(SKIP)
        self.name = name
        self.display = self.state["display"]
        self.prefix = self.state["prefix"]
        self.width, self.height = self.state["width"], self.state["height"]
        if screen:
            self.display, self.width, self.height = screen
        self.wine = find_wine()
        self.wineserver = find_wineserver()
        self.scratch = os.path.join(RUN_DIR, "scratch", name)
        shutil.rmtree(self.scratch, ignore_errors=True)
        self.saver_dir = os.path.join(self.scratch, saver_dir) if saver_dir else self.scratch
        os.makedirs(self.saver_dir)
        shutil.copy(SAVER, os.path.join(self.saver_dir, "frellis.scr"))
        self.processes = []
        self.registry_cleanup = []
        self.one_session = one_session

    def __enter__(self):
        log("scenario %s in %s" % (self.name, self.scratch))
        # One Wine session for the whole scenario: left to itself, the wineserver shuts down (and
        # ends explorer and services) about a second after its last program ends, so on a busy
        # machine the scenario's next program would often start a new session, several times
        # slower (or meet the old one going down), and a window handle from the old session could
        # name another window in the new one. Persistent, it lives until __exit__ ends it. A
        # scenario that waits for the server to stop (to read the registry Wine then writes)
        # does without.
        if self.one_session:
            subprocess.run([self.wineserver, "-p"], env=self.env(), stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        self.xdotool("mousemove", "40", "40")
        return self

    def __exit__(self, *exc):
        for command in reversed(self.registry_cleanup):
            self.run_wine(command, timeout=30)
        for process in self.processes:
            if process.poll() is None:
                log("ending pid %d" % process.pid)
                kill_group(process.pid)
        # Wine's own helpers (explorer, services) were started on behalf of this scenario too.
        subprocess.run([self.wineserver, "-k"], env=self.env(), capture_output=True)
        subprocess.run([self.wineserver, "-w"], env=self.env(), capture_output=True,
                       timeout=60 * PATIENCE)
        return False

    # Processes.
    def env(self, extra=None):
        return wine_env(self.display, self.prefix, extra)

    def start(self, program, args=(), extra_env=None, cwd=None):
        """Starts a Windows program under Wine; its output is collected in a file."""
        out_path = os.path.join(self.scratch, "%s.%d.out" % (os.path.basename(program),
                                                              len(self.processes)))
        out = open(out_path, "w+")
        process = subprocess.Popen([self.wine, program] + list(args), cwd=cwd or self.saver_dir,
                                   env=self.env(extra_env), stdout=out, stderr=subprocess.STDOUT,
                                   start_new_session=True)
        process.out_path = out_path
        self.processes.append(process)
        log("started %s %s (pid %d)" % (os.path.basename(program), " ".join(args), process.pid))
        return process

    def start_saver(self, *args, extra_env=None):
        return self.start(os.path.join(self.saver_dir, "frellis.scr"), args, extra_env)

    def run_wine(self, args, timeout=60, extra_env=None, cwd=None):
        """Runs a Windows program to its end; returns (exit status, output)."""
        process = self.start(args[0], args[1:], extra_env, cwd)
        status = self.wait(process, timeout)
        return status, self.output(process)

    def wait(self, process, timeout):
        """The exit status as the shell sees it, or None when the process still runs after
        timeout seconds (times PATIENCE)."""
        try:
            return process.wait(timeout * PATIENCE)
        except subprocess.TimeoutExpired:
            return None

    @staticmethod
    def output(process):
        with open(process.out_path) as f:
            return f.read()

    def standin(self, name):
        return os.path.join(STANDINS_DIR, name)

    def install_standin(self, name, as_name=None):
        shutil.copy(self.standin(name), os.path.join(self.saver_dir, as_name or name))

    def start_host(self, left, top, width, height, close_file=""):
        """Starts the preview host; returns (process, handle, client rectangle). Its window stays
        until close_file exists (see close_host) or the scenario ends."""
        host = self.start(self.standin("preview_host.exe"),
                          [str(left), str(top), str(width), str(height), close_file])
        def report():
            text = self.output(host)
            line = text.split("\n")[0].split() if "\n" in text else []
            return line if len(line) == 7 and line[0] == "hwnd" else host.poll() is not None

        words = wait_until(report, 30)
        if words is not True and words:
            return host, int(words[1]), tuple(int(w) for w in words[3:7])
        raise AssertionError("the preview host did not report its window: %r" % self.output(host))

    def close_host(self, host, close_file):
        """Makes the preview host's window go away, and waits until its process has ended."""
        open(close_file, "w").close()
        if self.wait(host, 30) is None:
            raise AssertionError("the preview host did not end when told to")

    def children(self, handle):
        """The child windows of a window of any process, as the window probe reports them."""
        _, output = self.run_wine([self.standin("window_probe.exe"), "children", str(handle)])
        result = []
        for line in output.splitlines():
            w = line.split()
            if len(w) == 13 and w[0] == "child":
                result.append({"handle": int(w[1]), "class": w[3], "title": w[5],
                               "rect": tuple(int(v) for v in w[7:11]), "visible": w[12] == "1"})
        return result

    def dialog(self):
        """The configuration dialog as the window probe reports it, or None when there is none:
        {"visible", "rect", "focus", "edits": {id: text}}."""
        status, output = self.run_wine([self.standin("window_probe.exe"), "dialog"])
        lines = output.splitlines()
        if status != 0 or not lines or not lines[0].startswith("dialog"):
            return None
        w = lines[0].split()
        edits = {}
        for line in lines[1:5]:
            key, _, text = line.partition(" ")
            edits[int(key)] = text.strip()
        return {"visible": w[3] == "1", "rect": tuple(int(v) for v in w[5:9]),
                "focus": int(w[10]), "edits": edits}

    def registry(self, key, name, value_type, data):
        """Sets a registry value in the prefix for this scenario only."""
        status, output = self.run_wine(["reg", "add", key, "/v", name, "/t", value_type, "/d",
                                        data, "/f"])
        self.registry_cleanup.append(["reg", "delete", key, "/v", name, "/f"])
        if status != 0:
            raise AssertionError("reg add %s /v %s did not succeed (status %s): %r" %
                                 (key, name, status, output))

    # Input and screen.
    def xdotool(self, *args):
        subprocess.run(["xdotool"] + list(args), env={**os.environ, "DISPLAY": self.display},
                       check=True, capture_output=True)

    def key(self, *keys):
        self.xdotool("key", *keys)

    def screenshot(self):
        return Screenshot(self.display, self.width, self.height)

    def wait_for_picture(self, drawn, timeout=30):
        """The first screenshot of which drawn(shot) holds, or None when none does in time."""
        shots = []

        def condition():
            shots[:] = [self.screenshot()]
            return drawn(shots[0])

        return shots[0] if wait_until(condition, timeout, 0.2) else None

    def wait_for_trails(self, minimum=300, timeout=30):
        """The first screenshot with at least minimum clearly coloured sampled pixels: the saver
        has drawn its trails (None when it has not in time)."""
        return self.wait_for_picture(lambda shot: shot.coloured() > minimum, timeout)

    def wait_for_frames(self, count=2, timeout=30):
        """Waits until the picture on the screen has changed count times; returns the time of the
        last change, or None. A timer tick comes only when no other message waits, so after two
        changes the saver has handled every input that reached it before this was called."""
        previous = self.screenshot().data
        changes = []

        def changed():
            nonlocal previous
            now = self.screenshot().data
            if now != previous:
                changes.append(time.monotonic())
                previous = now
            return len(changes) >= count

        return changes[-1] if wait_until(changed, timeout, 0.05) else None

    def x_windows(self, title):
        """The X windows (ids as xdotool prints them) that are shown and titled so."""
        result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title],
                                env={**os.environ, "DISPLAY": self.display}, capture_output=True,
                                text=True)
        return result.stdout.split()

    def active_window(self):
        """The X window that has the keyboard, or "" when none has."""
        result = subprocess.run(["xdotool", "getactivewindow"],
                                env={**os.environ, "DISPLAY": self.display}, capture_output=True,
                                text=True)
        return result.stdout.strip() if result.returncode == 0 else ""

    def wait_for_keyboard(self, title=None, window=None, timeout=30):
        """Waits until the window titled so (or the X window named) has the keyboard: a key typed
        before then goes to the window before it, or nowhere."""
        def active():
            now = self.active_window()
            return bool(now) and (now == window if window else now in self.x_windows(title))

        return wait_until(active, timeout)

    def window_exists(self, title):
        result = subprocess.run(["xdotool", "search", "--name", "^%s$" % title],
                                env={**os.environ, "DISPLAY": self.display}, capture_output=True,
                                text=True)
        return bool(result.stdout.strip())

    def activate(self, title):
        """Asks the window manager to give the keyboard to the window titled so, and waits until
        it has: keys typed right after a window appears may otherwise go to the one before."""
        subprocess.run(["xdotool", "search", "--sync", "--name", "^%s$" % title,
                        "windowactivate", "--sync"],
                       env={**os.environ, "DISPLAY": self.display}, capture_output=True,
                       timeout=30 * PATIENCE)

    def end(self, process):
        """Ends a process that outlived its part of the scenario, so the next part starts clean."""
        if process.poll() is None:
            kill_group(process.pid)

    def wait_for_window(self, title, timeout=30):
        return wait_until(lambda: self.window_exists(title), timeout)


class Checks:
    """Collects failed expectations so that one scenario reports all of them, then fails."""

    def __init__(self):
        self.failures = []

    def expect(self, condition, message):
        log(("ok: " if condition else "FAILED: ") + message)
        if not condition:
            self.failures.append(message)
        return condition

    def finish(self):
        if self.failures:
            print("%d expectation(s) failed:\n  %s" % (len(self.failures),
                                                        "\n  ".join(self.failures)))
            sys.exit(1)
        print("all expectations met")
        sys.exit(0)


def run(scenarios):
    """Entry of a scenario file: runs the scenario named on the command line."""
    if len(sys.argv) != 2 or sys.argv[1] not in scenarios:
        print("usage: %s {%s}" % (sys.argv[0], ",".join(sorted(scenarios))))
        sys.exit(2)
    skip_unless_tools()
    checks = Checks()
    scenarios[sys.argv[1]](checks)
    checks.finish()
