"""The saver's tick rate and CPU use under Wine at 1920x1080, beside a window with nothing but a
timer of the same period. Run by scripts/wine-frame-rate.sh; prints a Markdown table.

How ticks are counted without touching the saver: every tick steps each figure's hue by one on
the 1536-step wheel, and only the newest outline copy of a figure is drawn at full colour (one
channel 255, one 0); every older copy is dimmed. So a screenshot gives each figure's current
hue exactly, and the hue advance between two screenshots is the number of ticks in between.
Screenshots are taken every SAMPLE_PERIOD seconds, short enough that no figure's hue moves by
half the spacing between figures, and the advances are summed over the sampling time.
CPU use is read from /proc over a separate window without screenshots: the saver process, and
Xvfb, which does the drawing that Wine hands to the X server.
"""

import os
import re
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import fixture  # noqa: E402
import harness  # noqa: E402

WIDTH, HEIGHT = 1920, 1080
CPU_SECONDS = 5
SAMPLE_SECONDS = 8
SAMPLE_PERIOD = 0.25
SETTINGS = [  # (label, figures, corners, trail)
    ("default (2 figures, 4 corners, 16 copies)", 2, 4, 16),
    ("largest (8 figures, 8 corners, 32 copies)", 8, 8, 32),
]
SPEEDS = [10, 20]
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


def hues(data):
    """The hues drawn at full colour in a screenshot (every second row is looked at: lines are
    long enough to cross many rows)."""
    found = {}
    stride = WIDTH * 3
    for y in range(0, HEIGHT, 2):
        row = data[y * stride:(y + 1) * stride]
        for match in FULL.finditer(row):
            p = match.start() - match.start() % 3
            hue = hue_of(row[p], row[p + 1], row[p + 2])
            if hue is not None:
                found[hue] = found.get(hue, 0) + 1
    # A figure's line covers many pixels; a stray hue seen a few times is an overlap artefact.
    return sorted(h for h, n in found.items() if n >= 8)


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


def screenshot(display):
    return subprocess.run(["import", "-display", display, "-window", "root", "-depth", "8",
                           "rgb:-"], check=True, capture_output=True).stdout


class Bench:
    def __init__(self, run_dir):
        self.run_dir = run_dir
        os.makedirs(run_dir, exist_ok=True)
        harness.RUN_DIR = run_dir
        self.display, self.xvfb, self.openbox = fixture.start_display(WIDTH, HEIGHT)
        self.prefix = os.path.join(run_dir, "prefix")
        self.env = harness.wine_env(self.display, self.prefix)
        self.wine = harness.find_wine()
        subprocess.run([self.wine, "wineboot", "-i"], env=self.env, capture_output=True,
                       check=True)
        subprocess.run([harness.find_wineserver(), "-w"], env=self.env)
        fixture.build_standins(os.path.join(run_dir, "standins"))

    def close(self):
        subprocess.run([harness.find_wineserver(), "-k"], env=self.env, capture_output=True)
        for pid in (self.openbox, self.xvfb):
            harness.kill_group(pid)

    def start(self, args):
        return subprocess.Popen([self.wine] + args, env=self.env, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, start_new_session=True, text=True)

    def reference(self, period):
        """Ticks per second and CPU use of a window with only a timer of the period."""
        process = self.start([os.path.join(self.run_dir, "standins", "timer_window.exe"),
                              str(period), str(SAMPLE_SECONDS)])
        time.sleep(1)
        start = cpu_seconds(process.pid)
        time.sleep(CPU_SECONDS)
        cpu = (cpu_seconds(process.pid) - start) / CPU_SECONDS
        output = process.communicate(timeout=60)[0].split()
        return float(output[output.index("rate") + 1]), cpu

    def saver(self, figures, corners, trail, speed):
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
        process = self.start([os.path.join(folder, "frellis.scr"), "/s"])
        try:
            time.sleep(2)
            saver_start, x_start = cpu_seconds(process.pid), cpu_seconds(self.xvfb)
            time.sleep(CPU_SECONDS)
            saver_cpu = (cpu_seconds(process.pid) - saver_start) / CPU_SECONDS
            x_cpu = (cpu_seconds(self.xvfb) - x_start) / CPU_SECONDS

            shots = []
            end = time.monotonic() + SAMPLE_SECONDS
            while time.monotonic() < end:
                before = time.monotonic()
                data = screenshot(self.display)
                shots.append(((before + time.monotonic()) / 2, data))
                time.sleep(max(0.0, SAMPLE_PERIOD - (time.monotonic() - before)))
        finally:
            harness.kill_group(process.pid)
        limit = 1536 // figures // 2
        ticks, first, last = 0, None, None
        previous = None
        for when, data in shots:
            current = hues(data)
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
    bench = Bench(os.path.join(harness.SOURCE_DIR, "build", "frame-rate"))
    try:
        print("| settings | speed (period) | ticks/s | saver CPU | Xvfb CPU |"
              " timer-only window ticks/s | its CPU |")
        print("|---|---|---|---|---|---|---|")
        for speed in SPEEDS:
            period = 100 // speed
            reference = bench.reference(period)
            for label, figures, corners, trail in SETTINGS:
                rate, saver_cpu, x_cpu = bench.saver(figures, corners, trail, speed)
                print("| %s | %d (%d ms) | %.1f | %.0f%% | %.0f%% | %.1f | %.0f%% |" %
                      (label, speed, period, rate, 100 * saver_cpu, 100 * x_cpu, reference[0],
                       100 * reference[1]), flush=True)
    finally:
        bench.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
