"""The saver's tick rate and CPU use under Wine at 1920x1080 and 3840x2160, at the default and the
largest settings, once copying to the window only what each tick changed and once copying the
whole surface (FRELLIS_WHOLE_COPY), beside a window with nothing but a timer of the same period.
Run by scripts/wine-frame-rate.sh; prints a Markdown table.

How ticks are counted without touching the saver: every tick steps each figure's hue by one on
the 1536-step wheel, and only the newest outline copy of a figure is drawn at full colour (one
channel 255, one 0); every older copy is dimmed. So a look at the screen gives each figure's
current hue exactly, and the hue advance between two looks is the number of ticks in between.
Every SAMPLE_PERIOD seconds a few hundred rows spread over the screen are read from the X server
(XGetImage through libX11, far cheaper for it than a whole screenshot), often enough that no
figure's hue moves by half the spacing between figures, and the advances are summed.
CPU use is read from /proc over the same time: the saver process, and Xvfb, which does the
drawing that Wine hands to the X server. CPU per tick divides it by the tick rate; the load
average beside each row says how busy the machine was.
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
COPIES = [("changed", {}), ("whole", {"FRELLIS_WHOLE_COPY": "1"})]
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


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


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
        start = cpu_seconds(process.pid)
        time.sleep(SECONDS)
        cpu = (cpu_seconds(process.pid) - start) / SECONDS
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
        process = self.start([os.path.join(folder, "frellis.scr"), "/s"], extra_env)
        sampler = RowSampler(self.display, self.width, self.height)
        try:
            time.sleep(2)
            saver_start, x_start = cpu_seconds(process.pid), cpu_seconds(self.xvfb)
            started = time.monotonic()
            samples = []
            while time.monotonic() < started + SECONDS:
                before = time.monotonic()
                rows = sampler.sample()
                samples.append(((before + time.monotonic()) / 2, rows))
                time.sleep(max(0.0, SAMPLE_PERIOD - (time.monotonic() - before)))
            elapsed = time.monotonic() - started
            saver_cpu = (cpu_seconds(process.pid) - saver_start) / elapsed
            x_cpu = (cpu_seconds(self.xvfb) - x_start) / elapsed
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
        return rate, saver_cpu, x_cpu


def main():
    if harness.missing_tools():
        print("missing: " + ", ".join(harness.missing_tools()))
        return 1
    started = time.monotonic()
    print("| screen | settings | copy | ticks/s | saver CPU | saver ms/tick | Xvfb CPU |"
          " Xvfb ms/tick | load |")
    print("|---|---|---|---|---|---|---|---|---|")
    for width, height in SIZES:
        bench = Bench(os.path.join(harness.SOURCE_DIR, "build", "frame-rate"), width, height)
        try:
            screen = "%dx%d" % (width, height)
            rate, cpu = bench.reference(10)
            print("| %s | a window with only a 10 ms timer | - | %.1f | %.0f%% | %.2f | - | - |"
                  " %s |" % (screen, rate, 100 * cpu, 1000 * cpu / rate, load()), flush=True)
            for label, figures, corners, trail, speed in SETTINGS:
                for copy, extra_env in COPIES:
                    rate, saver_cpu, x_cpu = bench.saver(figures, corners, trail, speed,
                                                         extra_env)
                    print("| %s | %s | %s | %.1f | %.0f%% | %.2f | %.0f%% | %.2f | %s |" %
                          (screen, label, copy, rate, 100 * saver_cpu, 1000 * saver_cpu / rate,
                           100 * x_cpu, 1000 * x_cpu / rate, load()), flush=True)
        finally:
            bench.close()
    print("\n(%.0f s)" % (time.monotonic() - started))
    return 0


if __name__ == "__main__":
    sys.exit(main())
