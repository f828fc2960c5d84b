"""The e2e run's fixtures, as CTest runs them around the scenarios:

  fixture.py build    builds the run's saver (and the Windows test executables) with its build's
                      toolchain into FRELLIS_BUILD_DIR
  fixture.py setup    starts a private Xvfb with openbox, boots a private Wine prefix, builds the
                      stand-in components and records the run in state.json
  fixture.py cleanup  ends everything setup started and removes the prefix
"""

import json
import os
import shutil
import subprocess
import sys
import time

import harness
from harness import log

WIDTH, HEIGHT = 1280, 800

# The dialog asks for a Japanese face that Wine does not have; the IPA fonts from Debian's
# packages stand in for it so that the labels render.
FONT_REPLACEMENTS = """Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"\uff2d\uff33 \uff30\u30b4\u30b7\u30c3\u30af"="IPAPGothic"
"\uff2d\uff33 \u30b4\u30b7\u30c3\u30af"="IPAGothic"
"MS PGothic"="IPAPGothic"
"MS Gothic"="IPAGothic"
"MS UI Gothic"="IPAPGothic"
"""

# A DLL's entries are found by their plain names, which 32-bit stdcall would decorate (@16).
DLL = ["-shared", "-Wl,--kill-at"]
STANDINS = [
    # (source, output, extra compiler flags)
    ("password_cpl.c", "PASSWORD.CPL", DLL),
    ("mpr.c", "mpr.dll", DLL),
    ("preview_host.c", "preview_host.exe", []),
    ("window_probe.c", "window_probe.exe", []),
    ("timer_window.c", "timer_window.exe", []),
    ("launcher.c", "launcher.exe", ["-municode"]),
]


def build_standins(out_dir):
    """Cross-compiles the stand-in components and helper programs into out_dir."""
    os.makedirs(out_dir, exist_ok=True)
    source_dir = os.path.join(os.path.dirname(os.path.abspath(__file__)), "standins")
    for source, output, flags in STANDINS:
        # -static-libgcc: a 32-bit build would otherwise need libgcc_s_dw2-1.dll beside it.
        subprocess.run([harness.CROSS_CC, "-O2", "-s", "-static-libgcc", "-Wall", "-Wextra",
                        "-Werror"] + flags +
                       ["-o", os.path.join(out_dir, output), os.path.join(source_dir, source),
                        "-luser32", "-lgdi32"], check=True)


def build():
    if not shutil.which("cmake") or not shutil.which(harness.CROSS_CC):
        print("skipped: cmake or %s missing" % harness.CROSS_CC)
        return harness.SKIP
    build_dir = os.path.realpath(harness.BUILD_DIR)
    preset = harness.BUILD
    if build_dir == os.path.realpath(os.path.join(harness.SOURCE_DIR, "build", preset)):
        # The preset's own folder: configured and built exactly as `cmake --preset` does.
        if not os.path.exists(os.path.join(build_dir, "CMakeCache.txt")):
            subprocess.run(["cmake", "--preset", preset], cwd=harness.SOURCE_DIR, check=True)
        subprocess.run(["cmake", "--build", "--preset", preset, "-j", "2"],
                       cwd=harness.SOURCE_DIR, check=True)
    else:
        if not os.path.exists(os.path.join(build_dir, "CMakeCache.txt")):
            subprocess.run(["cmake", "-S", harness.SOURCE_DIR, "-B", build_dir, "-G", "Ninja",
                            "--toolchain",
                            os.path.join(harness.SOURCE_DIR, "cmake", harness.TOOLCHAIN),
                            "-DCMAKE_BUILD_TYPE=MinSizeRel"], check=True)
        subprocess.run(["cmake", "--build", build_dir, "-j", "2"], check=True)
    if not os.path.exists(harness.SAVER):
        print("the %s build made no %s" % (preset, harness.SAVER))
        return 1
    return 0


def start_detached(args, log_name, env=None):
    """Starts a server that outlives this process; its output goes to a file, never to CTest's
    pipe, which CTest would otherwise wait on."""
    with open(os.path.join(harness.RUN_DIR, log_name), "w") as out:
        return subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=out,
                                stderr=subprocess.STDOUT, env=env, start_new_session=True)


def start_display(width, height):
    """A private Xvfb (black root, no TCP) with openbox; returns (display, xvfb pid, openbox pid)."""
    read_fd, write_fd = os.pipe()
    with open(os.path.join(harness.RUN_DIR, "xvfb.log"), "w") as out:
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
                                 "%dx%dx24" % (width, height), "-br", "-nolisten", "tcp",
                                 "-noreset"], stdin=subprocess.DEVNULL, stdout=out,
                                stderr=subprocess.STDOUT, pass_fds=(write_fd,),
                                start_new_session=True)
    os.close(write_fd)
    number = b""
    with os.fdopen(read_fd, "rb") as f:
        number = f.readline().strip()
    if not number:
        raise RuntimeError("Xvfb did not start; see xvfb.log")
    display = ":" + number.decode()
    openbox = start_detached(["openbox"], "openbox.log", {**os.environ, "DISPLAY": display})
    # openbox has taken the screen once it has set its supporting window.
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        probe = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                               env={**os.environ, "DISPLAY": display}, capture_output=True,
                               text=True) if shutil.which("xprop") else None
        if probe is None or "window id" in probe.stdout:
            break
        time.sleep(0.1)
    if probe is None:
        time.sleep(1)
    return display, xvfb.pid, openbox.pid


def setup():
    harness.skip_unless_tools()
    cleanup()
    os.makedirs(harness.RUN_DIR, exist_ok=True)
    started = time.monotonic()
    display, xvfb_pid, openbox_pid = start_display(WIDTH, HEIGHT)
    state = {"display": display, "xvfb_pid": xvfb_pid, "openbox_pid": openbox_pid,
             "prefix": os.path.join(harness.RUN_DIR, "prefix"), "width": WIDTH, "height": HEIGHT}
    with open(harness.STATE_FILE, "w") as f:
        json.dump(state, f)
    log("display %s (Xvfb %d, openbox %d)" % (display, xvfb_pid, openbox_pid))

    build_standins(harness.STANDINS_DIR)
    env = harness.wine_env(display, state["prefix"])
    wine, wineserver = harness.find_wine(), harness.find_wineserver()
    with open(os.path.join(harness.RUN_DIR, "wineboot.log"), "w") as out:
        subprocess.run([wine, "wineboot", "-i"], env=env, stdin=subprocess.DEVNULL, stdout=out,
                       stderr=subprocess.STDOUT, check=True, timeout=180)
        reg_file = os.path.join(harness.RUN_DIR, "fonts.reg")
        with open(reg_file, "w", encoding="utf-16") as f:
            f.write(FONT_REPLACEMENTS.replace("\n", "\r\n"))
        subprocess.run([wine, "regedit", "/S", reg_file], env=env, stdin=subprocess.DEVNULL,
                       stdout=out, stderr=subprocess.STDOUT, check=True, timeout=60)
        # The first GUI program of a fresh prefix may neither draw nor get input: spend it here.
        subprocess.run([wine, os.path.join(harness.STANDINS_DIR, "preview_host.exe"), "0", "0",
                        "64", "64", "", "2"], env=env, stdin=subprocess.DEVNULL, stdout=out,
                       stderr=subprocess.STDOUT, timeout=60)
        subprocess.run([wineserver, "-w"], env=env, stdout=out, stderr=subprocess.STDOUT,
                       timeout=60)
    log("prefix ready in %.1f s" % (time.monotonic() - started))
    return 0


def cleanup():
    """Ends what a setup of this run directory started, known by the pids it recorded."""
    try:
        with open(harness.STATE_FILE) as f:
            state = json.load(f)
    except (OSError, ValueError):
        return 0
    wineserver = harness.find_wineserver()
    if wineserver and os.path.isdir(state["prefix"]):
        env = harness.wine_env(state["display"], state["prefix"])
        subprocess.run([wineserver, "-k"], env=env, capture_output=True)
        subprocess.run([wineserver, "-w"], env=env, capture_output=True, timeout=30)
    for key, program in (("openbox_pid", "openbox"), ("xvfb_pid", "Xvfb")):
        # A state file left by an earlier boot may name pids that are someone else's now.
        try:
            with open("/proc/%d/cmdline" % state[key], "rb") as f:
                command = f.read().split(b"\0")[0]
        except OSError:
            continue
        if os.path.basename(command).decode(errors="replace") == program:
            harness.kill_group(state[key])
    shutil.rmtree(state["prefix"], ignore_errors=True)
    os.remove(harness.STATE_FILE)
    log("run cleaned up")
    return 0


if __name__ == "__main__":
    commands = {"build": build, "setup": setup, "cleanup": cleanup}
    if len(sys.argv) != 2 or sys.argv[1] not in commands:
        print("usage: fixture.py {build,setup,cleanup}")
        sys.exit(2)
    sys.exit(commands[sys.argv[1]]())
