"""Several monitors, as Xorg's dummy driver shows them to Wine: for each layout the full-screen
saver covers the whole virtual screen, its figures reach every monitor, and the mouse threshold
and a key end it as on one monitor, also across the edge between two monitors.

The scenario runs its own Xorg (as root) with no window manager: one would keep a full-screen
window to a single monitor, which Windows never does; without one, Wine sets the focus itself.
Wine reads the monitors when its session starts, so each layout is set up between sessions.
"""

import collections
import os
import shutil
import subprocess

import harness
from harness import log

# monitors: (left, top, right, bottom) in Windows coordinates, the primary first (at 0,0), each
# on the dummy output of its index. anchor: where the cursor rests when the saver starts, two
# pixels short of the edge between the two monitors.
Layout = collections.namedtuple("Layout", "name monitors virtual anchor")
LAYOUTS = [
    Layout("primary right of a smaller monitor",
           [(0, 0, 1920, 1080), (-1280, 0, 0, 1024)], (-1280, 0, 1920, 1080), (-2, 40)),
    Layout("portrait monitor above the primary's top",
           [(0, 0, 1920, 1080), (1920, -840, 3000, 1080)], (0, -840, 3000, 1080), (1918, 60)),
]
# From the anchor: small moves that add up to 4 pixels across the edge, then one to 5.
SMALL_MOVES = [(2, 0), (3, 1)]
ENDING_MOVE = (3, 2)

# The dummy driver knows the usual landscape modes; portrait ones need a mode line.
MODE_LINES = {"1080x1920": "140.00 1080 1128 1160 1240 1920 1923 1933 1941"}

XORG_CONF = """Section "ServerFlags"
  Option "AutoAddDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 4096
  EndSubSection
EndSection
"""


def mode(rect):
    return "%dx%d" % (rect[2] - rect[0], rect[3] - rect[1])


def missing():
    """Why this machine cannot run the scenario, or None."""
    if os.geteuid() != 0:
        return "Xorg with the dummy driver needs root"
    for tool in ("Xorg", "xrandr"):
        if not shutil.which(tool):
            return "%s missing (scripts/install-deps.sh monitors)" % tool
    if not os.path.exists("/usr/lib/xorg/modules/drivers/dummy_drv.so"):
        return "the dummy video driver missing (scripts/install-deps.sh monitors)"
    return None


def end_leftover_xorg(pid_file):
    """A run ended by force (a CTest timeout) leaves its Xorg running: ended here, known by the
    pid it recorded, when that pid still names an Xorg."""
    try:
        with open(pid_file) as f:
            pid = int(f.read())
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            command = f.read().split(b"\0")[0]
    except (OSError, ValueError):
        return
    if os.path.basename(command) == b"Xorg":
        harness.kill_group(pid)


def start_xorg(folder):
    """Starts Xorg with the dummy driver; returns (process, display)."""
    os.makedirs(folder, exist_ok=True)
    pid_file = os.path.join(folder, "xorg.pid")
    end_leftover_xorg(pid_file)
    config = os.path.join(folder, "xorg.conf")
    with open(config, "w") as f:
        f.write(XORG_CONF)
    read_fd, write_fd = os.pipe()
    with open(os.path.join(folder, "xorg.out"), "w") as out:
        xorg = subprocess.Popen(["Xorg", "-displayfd", str(write_fd), "-config", config, "-br",
                                 "-noreset", "-nolisten", "tcp", "-logfile",
                                 os.path.join(folder, "xorg.log")],
                                stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                                pass_fds=(write_fd,), start_new_session=True)
    os.close(write_fd)
    with open(pid_file, "w") as f:
        f.write(str(xorg.pid))
    with os.fdopen(read_fd, "rb") as f:
        number = f.readline().strip()
    if not number:
        harness.kill_group(xorg.pid)
        raise AssertionError("Xorg did not start; see %s/xorg.log" % folder)
    return xorg, ":" + number.decode()


def xrandr(display, *args):
    return subprocess.run(["xrandr"] + list(args), env={**os.environ, "DISPLAY": display},
                          capture_output=True, text=True)


def arrange(display, layout):
    """Places the dummy outputs as the layout's monitors; returns the framebuffer's size."""
    left, top, right, bottom = layout.virtual
    for name, line in MODE_LINES.items():
        xrandr(display, "--newmode", name, *line.split())
    args = ["--fb", "%dx%d" % (right - left, bottom - top)]
    for output, rect in enumerate(layout.monitors):
        xrandr(display, "--addmode", "DUMMY%d" % output, mode(rect))
        args += ["--output", "DUMMY%d" % output, "--mode", mode(rect),
                 "--pos", "%dx%d" % (rect[0] - left, rect[1] - top)]
        if output == 0:
            args.append("--primary")
    placed = xrandr(display, *args)
    if placed.returncode != 0:
        raise AssertionError("xrandr %s: %s" % (" ".join(args), placed.stderr))
    # Wine reads the current configuration only; a full query makes the server probe its outputs.
    xrandr(display, "--query")
    return right - left, bottom - top


def probe_screen(s):
    """The virtual screen, the monitors and the saver window as Windows programs see them."""
    _, output = s.run_wine([s.standin("window_probe.exe"), "screen"])
    seen = {"virtual": None, "monitors": set(), "primary": None, "saver": None}
    for line in output.splitlines():
        w = line.split()
        if len(w) >= 5 and w[0] in ("virtual", "monitor", "saver"):
            rect = tuple(int(v) for v in w[1:5])
            if w[0] == "monitor":
                seen["monitors"].add(rect)
                if w[-1] == "1":
                    seen["primary"] = rect
            else:
                seen[w[0]] = rect
    return seen


def x_geometry(s, title):
    """(x, y, width, height) of the shown X window titled so, or None."""
    windows = s.x_windows(title)
    if len(windows) != 1:
        return None
    result = subprocess.run(["xdotool", "getwindowgeometry", "--shell", windows[0]],
                            env={**os.environ, "DISPLAY": s.display}, capture_output=True,
                            text=True)
    values = dict(line.split("=", 1) for line in result.stdout.split())
    return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))


def colour_per_monitor(s, areas, timeout=30):
    """The most clearly coloured sampled pixels seen in each area of the root window, watched
    until every area has shown some or timeout seconds pass."""
    seen = [0] * len(areas)

    def every_area():
        shot = s.screenshot()
        for i, area in enumerate(areas):
            seen[i] = max(seen[i], shot.coloured(*area, step=4))
        return all(n >= 20 for n in seen)

    harness.wait_until(every_area, timeout, 0.2)
    return seen


def start_fullscreen(s, cursor):
    s.xdotool("mousemove", *map(str, cursor))
    saver = s.start_saver("/s")
    if not s.wait_for_window("Screen Saver") or not s.wait_for_frames():
        raise AssertionError("no full-screen window that animates appeared")
    return saver


def check_layout(checks, s, layout):
    def expect(condition, message):
        checks.expect(condition, "%s: %s" % (layout.name, message))

    left, top = layout.virtual[:2]
    to_x = lambda x, y: (x - left, y - top)
    anchor = to_x(*layout.anchor)
    areas = [to_x(*rect[:2]) + to_x(*rect[2:]) for rect in layout.monitors]

    saver = start_fullscreen(s, anchor)
    seen = probe_screen(s)
    expect(seen["monitors"] == set(layout.monitors) and
           seen["primary"] == layout.monitors[0] and seen["virtual"] == layout.virtual,
           "Wine shows the layout's monitors: %r" % seen)
    expect(seen["saver"] == layout.virtual,
           "the saver window is the virtual screen %r: %r" % (layout.virtual, seen["saver"]))
    geometry = x_geometry(s, "Screen Saver")
    expect(geometry == (0, 0, s.width, s.height),
           "its X window covers the whole framebuffer %dx%d: %r" % (s.width, s.height, geometry))
    colour = colour_per_monitor(s, areas)
    s.screenshot().save_png(os.path.join(harness.ARTIFACTS_DIR, "%s.png" % s.name))
    expect(all(n >= 20 for n in colour),
           "figures reach every monitor (coloured samples %r)" % colour)

    for dx, dy in SMALL_MOVES:
        s.xdotool("mousemove", str(anchor[0] + dx), str(anchor[1] + dy))
    expect(s.wait_for_frames() and saver.poll() is None,
           "movements adding up to 4 pixels across the edge leave it running")
    s.xdotool("mousemove", str(anchor[0] + ENDING_MOVE[0]), str(anchor[1] + ENDING_MOVE[1]))
    expect(s.wait(saver, 30) == 0, "a movement of 5 pixels ends it with status 0")

    saver = start_fullscreen(s, anchor)
    s.key("space")
    expect(s.wait(saver, 30) == 0, "a key press ends it with status 0")


def monitors(checks):
    reason = missing()
    if reason:
        print("skipped: " + reason)
        raise SystemExit(harness.SKIP)
    xorg, display = start_xorg(os.path.join(harness.RUN_DIR, "xorg"))
    try:
        for number, layout in enumerate(LAYOUTS):
            log("layout: " + layout.name)
            width, height = arrange(display, layout)
            with harness.Scenario("monitors_%d" % number,
                                  screen=(display, width, height)) as s:
                check_layout(checks, s, layout)
    finally:
        harness.kill_group(xorg.pid)


if __name__ == "__main__":
    harness.run({"monitors": monitors})
