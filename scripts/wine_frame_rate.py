"""The saver's tick rate and CPU use under Wine at 1920x1080 and 3840x2160, at the default and the
largest settings, once copying to the window only what each tick changed and once copying the
whole surface (FRELLIS_WHOLE_COPY), beside a window with nothing but a timer of the same period.
Run by scripts/wine-frame-rate.sh, which builds the saver that reads those variables (preset
win64-measure) and names its folder in FRELLIS_BUILD_DIR; prints a Markdown table.

How ticks are counted without touching the saver: every tick steps each figure's hue by one on
the 1536-step wheel, and only the newest outline copy of a figure is drawn at full colour (one
channel 255, one 0); every older copy is dimmed. So a look at the screen gives each figure's
current hue exactly, and the hue advance between two looks is the number of ticks in between.
Every SAMPLE_PERIOD seconds a few hundred rows spread over the screen are read from the X server
(XGetImage through libX11, far cheaper for it than a whole screenshot), often enough that no
figure's hue moves by half the spacing between figures, and the advances are summed.
CPU use is read from /proc over the same time: the saver process, Xvfb, which does the drawing
that Wine hands to the X server, and the Wine server, which answers the saver's calls that cross
processes. CPU per tick divides it by the tick rate; the load average beside each row says how busy
the machine was.

At the larger size it then runs bench/wine_copy_costs.c, a window that copies blocks of chosen
shapes every tick, and prints what one hand-over of the window's drawing, one copied row and one
copied pixel cost the program, the X server and the Wine server.
"""

import ctypes
import os
import re
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import fixture  # noqa: E402
import harness  # noqa: E402

SIZES = [(1920, 1080), (3840, 2160)]
SECONDS = 10
# No figure's hue may move by half the spacing between figures (96 ticks at 8 figures) from one
# sample to the next.
SAMPLE_PERIOD = 0.5
SAMPLED_ROWS = 128
SETTINGS = [  # (label, figures, corners, trail, speed)
    ("default (2/4/16, speed 10)", 2, 4, 16, 10),
    ("largest (8/8/32, speed 20)", 8, 8, 32, 20),
]
# The copy probe (bench/wine_copy_costs.c), run at the larger size: hand-overs of tiny blocks, one
# column block narrow and wide, the whole surface, and nothing.
COST_SECONDS = 6
HANDOVERS = 33
COST_MODES = [("none", 1), ("whole", 1), ("columns", 8), ("columns", 512), ("peek", 1),
              ("peek", HANDOVERS), ("input", 1), ("input", HANDOVERS)]
COPIES = [("changed", {}), ("whole", {"FRELLIS_WHOLE_COPY": "1"})]
# Every run of the saver draws the same figures (FRELLIS_SEED), so that rows differ only in what
# they measure; another seed can be given in the script's environment.
SEED = os.environ.get("FRELLIS_SEED", "20261207")
FULL = re.compile(rb"\xff")


def hue_of(r, g, b):
    """The wheel position of a full-colour pixel, or None for any other colour."""
    if r == 255 and b == 0:
        return g
    if g == 255 and b == 0:
        return 256 + 255 - r
    if r == 0 and g == 255:
        return 512 + b
    if r == 0 and b == 255:
        return 768 + 255 - g
    if g == 0 and b == 255:
        return 1024 + r
    if r == 255 and g == 0:
        return 1280 + 255 - b
    return None


def hues(rows):
    """The hues drawn at full colour in rows of 32-bit pixels (blue, green, red, pad)."""
    found = {}
    for row in rows:
        for match in FULL.finditer(row):
            p = match.start() - match.start() % 4
            hue = hue_of(row[p + 2], row[p + 1], row[p])
            if hue is not None:
                found[hue] = found.get(hue, 0) + 1
    # A figure's line covers many pixels; a stray hue seen a few times is an overlap artefact.
    return sorted(h for h, n in found.items() if n >= 4)


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p)]


class RowSampler:
    """Reads every n-th row of the screen through libX11, a row per request."""

    def __init__(self, display, width, height):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XGetImage.restype = ctypes.POINTER(XImage)
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                       ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                                       ctypes.c_ulong, ctypes.c_int]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.libc = ctypes.CDLL(None)
        self.libc.free.argtypes = [ctypes.c_void_p]
        self.connection = self.x11.XOpenDisplay(display.encode())
        if not self.connection:
            raise RuntimeError("cannot open display " + display)
        self.root = self.x11.XDefaultRootWindow(self.connection)
        self.width = width
        self.rows = range(0, height, max(1, height // SAMPLED_ROWS))

    def sample(self):
        rows = []
        for y in self.rows:
            image = self.x11.XGetImage(self.connection, self.root, 0, y, self.width, 1,
                                       0xFFFFFFFF, 2)  # ZPixmap
            if not image:
                raise RuntimeError("XGetImage failed")
            rows.append(ctypes.string_at(image.contents.data, self.width * 4))
            # XDestroyImage is a macro: the data and the structure are plain allocations.
            self.libc.free(image.contents.data)
            self.libc.free(ctypes.cast(image, ctypes.c_void_p))
        return rows

    def close(self):
        self.x11.XCloseDisplay(self.connection)


def advance(before, after, limit):
    """The tick count between two hue sets: the most common forward distance, below limit, from
    a hue before to the nearest hue after."""
    votes = {}
    for h in before:
        steps = [(a - h) % 1536 for a in after]
        steps = [s for s in steps if s < limit]
        if steps:
            s = min(steps)
            votes[s] = votes.get(s, 0) + 1
    return max(votes, key=lambda s: (votes[s], -s)) if votes else None


def wine_server(prefix):
    """The Wine server of the prefix: it answers the saver's calls that cross processes."""
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/comm" % pid) as f:
                if not f.read().startswith("wineserver"):
                    continue
            with open("/proc/%s/environ" % pid, "rb") as f:
                if b"WINEPREFIX=" + prefix.encode() + b"\0" in f.read():
                    return int(pid)
        except OSError:
            pass
    return None


def load():
    with open("/proc/loadavg") as f:
        return f.read().split()[0]


class Bench:
    """One private Xvfb of the given size with openbox, and a private Wine prefix booted on it."""

    def __init__(self, run_dir, width, height):
        self.run_dir, self.width, self.height = run_dir, width, height
        os.makedirs(run_dir, exist_ok=True)
        harness.RUN_DIR = run_dir
        self.display, self.xvfb, self.openbox = fixture.start_display(width, height)
        self.prefix = os.path.join(run_dir, "prefix")
        self.env = harness.wine_env(self.display, self.prefix)
        self.wine = harness.find_wine()
        subprocess.run([self.wine, "wineboot", "-i"], env=self.env, capture_output=True,
                       check=True)
        subprocess.run([harness.find_wineserver(), "-w"], env=self.env)
        if not os.path.exists(os.path.join(run_dir, "standins", "timer_window.exe")):
            fixture.build_standins(os.path.join(run_dir, "standins"))
        subprocess.run([harness.CROSS_CC, "-O2", "-s", "-Wall", "-Wextra", "-Werror", "-o",
                        os.path.join(run_dir, "wine_copy_costs.exe"),
                        os.path.join(harness.SOURCE_DIR, "bench", "wine_copy_costs.c"),
                        "-luser32", "-lgdi32"], check=True)

    def close(self):
        subprocess.run([harness.find_wineserver(), "-k"], env=self.env, capture_output=True)
        for pid in (self.openbox, self.xvfb):
            harness.kill_group(pid)

    def start(self, args, extra_env=None):
        return subprocess.Popen([self.wine] + args, env={**self.env, **(extra_env or {})},
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                start_new_session=True, text=True)

    def reference(self, period):
        """Ticks per second and CPU use of a window with only a timer of the period."""
        process = self.start([os.path.join(self.run_dir, "standins", "timer_window.exe"),
                              str(period), str(SECONDS + 2)])
        time.sleep(1)
        start = harness.cpu_seconds(process.pid)
        time.sleep(SECONDS)
        cpu = (harness.cpu_seconds(process.pid) - start) / SECONDS
        output = process.communicate(timeout=60)[0].split()
        return float(output[output.index("rate") + 1]), cpu

    def saver(self, figures, corners, trail, speed, extra_env):
        """Ticks per second of the real saver, its CPU use and that of the X server."""
        folder = os.path.join(self.run_dir, "saver")
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        shutil.copy(harness.SAVER, folder)
        with open(os.path.join(folder, "Frellis.ini"), "w") as f:
            f.write("[Setting]\r\nPolygon=%d\r\nPoint=%d\r\nLine=%d\r\nSpeed=%d\r\n" %
                    (figures, corners, trail, speed))
        subprocess.run(["xdotool", "mousemove", "10", "10"], env={**os.environ,
                                                                 "DISPLAY": self.display})
        process = self.start([os.path.join(folder, "frellis.scr"), "/s"],
                             {"FRELLIS_SEED": SEED, **extra_env})
        sampler = RowSampler(self.display, self.width, self.height)
        try:
            time.sleep(2)
            server = wine_server(self.prefix)
            saver_start = harness.cpu_seconds(process.pid)
            x_start, server_start = harness.cpu_seconds(self.xvfb), harness.cpu_seconds(server)
            started = time.monotonic()
            samples = []
            while time.monotonic() < started + SECONDS:
                before = time.monotonic()
                rows = sampler.sample()
                samples.append(((before + time.monotonic()) / 2, rows))
                time.sleep(max(0.0, SAMPLE_PERIOD - (time.monotonic() - before)))
            elapsed = time.monotonic() - started
            saver_cpu = (harness.cpu_seconds(process.pid) - saver_start) / elapsed
            x_cpu = (harness.cpu_seconds(self.xvfb) - x_start) / elapsed
            server_cpu = (harness.cpu_seconds(server) - server_start) / elapsed
        finally:
            sampler.close()
            harness.kill_group(process.pid)
        limit = 1536 // figures // 2
        ticks, first, last = 0, None, None
        previous = None
        for when, rows in samples:
            current = hues(rows)
            if previous is not None and current:
                step = advance(previous[1], current, limit)
                if step is not None:
                    ticks += step
                    first = previous[0] if first is None else first
                    last = when
            previous = (when, current) if current else previous
        rate = ticks / (last - first) if first is not None and last > first else float("nan")
        return rate, saver_cpu, x_cpu, server_cpu

    def copy_costs(self, mode, count):
        """CPU per tick of the saver-sized copy probe in one mode (wine_copy_costs.c): the
        program's own, the X server's and the Wine server's, in ms."""
        process = self.start([os.path.join(self.run_dir, "wine_copy_costs.exe"), mode,
                              str(count), str(COST_SECONDS + 2)])
        time.sleep(1.5)
        server = wine_server(self.prefix)
        pids = (process.pid, self.xvfb, server)
        start = [harness.cpu_seconds(pid) for pid in pids]
        time.sleep(COST_SECONDS)
        spent = [harness.cpu_seconds(pid) - before for pid, before in zip(pids, start)]
        output = process.communicate(timeout=60)[0].split()
        ticks, seconds = output[output.index("ticks") + 1], output[output.index("seconds") + 1]
        rate = int(ticks) / float(seconds)
        return [1000 * cpu / COST_SECONDS / rate for cpu in spent]


def print_copy_costs(bench):
    """What one hand-over, one copied row and one copied pixel cost the program, the X server and
    the Wine server, from the differences between the probe's modes."""
    measured = {(mode, count): bench.copy_costs(mode, count) for mode, count in COST_MODES}
    narrow, wide = COST_MODES[2][1], COST_MODES[3][1]
    rows = [
        ("a hand-over by a look at the queue (µs)", "peek", 1000 / (HANDOVERS - 1)),
        ("a hand-over by reading the input state (µs)", "input", 1000 / (HANDOVERS - 1)),
    ]
    print("\nWhat a copy costs at %dx%d (a window copying every 10 ms, %s):\n" %
          (bench.width, bench.height, "load " + load()))
    print("| cost of | program | X server | Wine server |")
    print("|---|---|---|---|")
    for label, mode, scale in rows:
        one, many = measured[(mode, 1)], measured[(mode, HANDOVERS)]
        print("| %s | %s |" % (label, " | ".join("%.1f" % ((b - a) * scale) for a, b in
                                                 zip(one, many))))
    none = measured[("none", 1)]
    per_row = [(c - n) * 1e6 / bench.height for c, n in zip(measured[("columns", narrow)], none)]
    per_pixel = [(w - c) * 1e6 / ((wide - narrow) * bench.height) for c, w in
                 zip(measured[("columns", narrow)], measured[("columns", wide)])]
    whole = [(w - n) * 1e6 / (bench.width * bench.height) for w, n in
             zip(measured[("whole", 1)], none)]
    for label, costs in (("a row of a block narrower than the screen (ns)", per_row),
                         ("a pixel of a block narrower than the screen (ns)", per_pixel),
                         ("a pixel of the whole surface in one block (ns)", whole)):
        print("| %s | %s |" % (label, " | ".join("%.2f" % c for c in costs)))


def main():
    if harness.missing_tools():
        print("missing: " + ", ".join(harness.missing_tools()))
        return 1
    # The shipped saver ignores the seed and the whole copy, and every row would measure the same.
    with open(harness.SAVER, "rb") as f:
        if b"FRELLIS_WHOLE_COPY" not in f.read():
            print("%s is not a measurement build (cmake --preset win64-measure)" % harness.SAVER)
            return 1
    started = time.monotonic()
    print("Every saver run seeded with %s.\n" % SEED)
    print("| screen | settings | copy | ticks/s | saver CPU | saver ms/tick | Xvfb CPU |"
          " Xvfb ms/tick | Wine server ms/tick | load |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    for width, height in SIZES:
        bench = Bench(os.path.join(harness.SOURCE_DIR, "build", "frame-rate"), width, height)
        try:
            screen = "%dx%d" % (width, height)
            rate, cpu = bench.reference(10)
            print("| %s | a window with only a 10 ms timer | - | %.1f | %.0f%% | %.2f | - | - |"
                  " - | %s |" % (screen, rate, 100 * cpu, 1000 * cpu / rate, load()), flush=True)
            for label, figures, corners, trail, speed in SETTINGS:
                for copy, extra_env in COPIES:
                    rate, saver_cpu, x_cpu, server_cpu = bench.saver(figures, corners, trail,
                                                                     speed, extra_env)
                    print("| %s | %s | %s | %.1f | %.0f%% | %.2f | %.0f%% | %.2f | %.2f | %s |" %
                          (screen, label, copy, rate, 100 * saver_cpu, 1000 * saver_cpu / rate,
                           100 * x_cpu, 1000 * x_cpu / rate, 1000 * server_cpu / rate, load()),
                          flush=True)
            if (width, height) == SIZES[-1]:
                print_copy_costs(bench)
        finally:
            bench.close()
    print("\n(%.0f s)" % (time.monotonic() - started))
    return 0


if __name__ == "__main__":
    sys.exit(main())
