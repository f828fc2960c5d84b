"""The soak run behind scripts/soak.sh: a private display and Wine prefix (the e2e harness's own),
the saver full-screen from a scratch folder whose Frellis.ini holds the largest settings, a
sample of the process every interval, and a key at the end."""

import argparse
import os
import subprocess
import sys
import time

SOURCE_DIR = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
OUT_DIR = os.path.join(SOURCE_DIR, "out", "soak")


def parse_options():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("minutes", nargs="?", type=float, default=30)
    parser.add_argument("--interval", type=float, default=30)
    parser.add_argument("--build", default="win64", choices=("win64", "win32"))
    return parser.parse_args()


OPTIONS = parse_options()
# The harness reads where its run lives, and which build it drives, from the environment when it
# is imported.
os.environ["FRELLIS_E2E_DIR"] = os.path.join(OUT_DIR, "e2e")
os.environ["FRELLIS_E2E_BUILD"] = OPTIONS.build
sys.path.insert(0, os.path.join(SOURCE_DIR, "tests", "e2e"))
import fixture  # noqa: E402
import harness  # noqa: E402

LARGEST = "[Setting]\r\nPolygon=8\r\nPoint=8\r\nLine=32\r\nSpeed=20\r\n"
# The saver's GDI objects as GetGuiResources (GR_GDIOBJECTS) reports them, found by its file
# name among the processes; prints the count and the call's error code.
GDI_PROBE = r"""
#include <windows.h>
#include <tlhelp32.h>
#include <stdio.h>
#include <string.h>
int main(int argc, char **argv) {
    const char *name = argc > 1 ? argv[1] : "frellis.scr";
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (_stricmp(entry.szExeFile, name) != 0)
            continue;
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID);
        SetLastError(0);
        DWORD count = process ? GetGuiResources(process, GR_GDIOBJECTS) : 0;
        printf("%lu %lu\n", (unsigned long)count, (unsigned long)GetLastError());
        return 0;
    }
    printf("no process %s\n", name);
    return 1;
}
"""


def proc_status(pid):
    fields = {}
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            key, _, value = line.partition(":")
            fields[key] = value.split()[0] if value.split() else ""
    return fields


def saver_process(root_pid):
    """The Linux process that runs frellis.scr: the loader's own, or its child after an exec."""
    for pid in [root_pid] + children(root_pid):
        try:
            with open("/proc/%d/cmdline" % pid, "rb") as f:
                if b"frellis.scr" in f.read():
                    return pid
        except OSError:
            pass
    return root_pid


def children(pid):
    try:
        with open("/proc/%d/task/%d/children" % (pid, pid)) as f:
            return [int(p) for p in f.read().split()]
    except OSError:
        return []


def build_gdi_probe(scratch):
    source = os.path.join(scratch, "gdi_probe.c")
    with open(source, "w") as f:
        f.write(GDI_PROBE)
    probe = os.path.join(scratch, "gdi_probe.exe")
    subprocess.run([harness.CROSS_CC, "-O2", "-s", "-o", probe, source, "-luser32"], check=True)
    return probe


def gdi_objects(s, probe, report=False):
    """The saver's GDI objects, or None when the platform does not report them."""
    status, output = s.run_wine([probe, "frellis.scr"], timeout=30)
    words = output.split()
    if status != 0 or len(words) != 2 or words[1] != "0":
        if report:
            print("GDI objects: not reported (the probe said %r)" % output.strip())
        return None
    return int(words[0])


def animates(s):
    """Whether two screenshots half a second apart differ, and the later one is not all black."""
    first = s.screenshot()
    time.sleep(0.5)
    second = s.screenshot()
    return first.data != second.data and second.coloured(step=8) > 0, second


def soak(build, minutes, interval):
    rows, ok = [], True
    with harness.Scenario("soak_" + build) as s:
        with open(os.path.join(s.saver_dir, "Frellis.ini"), "w", newline="") as f:
            f.write(LARGEST)
        probe = build_gdi_probe(s.scratch)
        process = s.start_saver("/s")
        if not s.wait_for_window("Screen Saver", 30):
            print("soak %s: the saver's window did not appear" % build)
            return False
        time.sleep(2)
        pid = saver_process(process.pid)
        started = time.monotonic()
        last_cpu, last_time = harness.cpu_seconds(pid), started
        end = started + minutes * 60
        sample = 0
        while True:
            now = time.monotonic()
            status = proc_status(pid)
            cpu = harness.cpu_seconds(pid)
            moving, shot = animates(s)
            rows.append({
                "minute": (now - started) / 60,
                "rss": int(status.get("VmRSS", 0)),
                "vsz": int(status.get("VmSize", 0)),
                "fds": len(os.listdir("/proc/%d/fd" % pid)),
                "threads": int(status.get("Threads", 0)),
                "cpu": 100.0 * (cpu - last_cpu) / (now - last_time) if sample else None,
                "gdi": gdi_objects(s, probe, report=sample == 0) if probe else None,
                "animates": moving,
            })
            last_cpu, last_time = cpu, now
            if rows[-1]["gdi"] is None:
                probe = None  # a platform that does not report them once never will
            print_row(build, rows[-1], header=sample == 0)
            ok = ok and moving and process.poll() is None
            if process.poll() is not None or now >= end - 1:
                break
            sample += 1
            time.sleep(max(0.0, min(started + sample * interval, end) - time.monotonic()))
        shot.save_png(os.path.join(OUT_DIR, "soak_%s.png" % build))
        s.key("space")
        code = s.wait(process, 30)
        print("soak %s: %.1f minutes; ended by a key with status %s" %
              (build, rows[-1]["minute"], code))
        ok = ok and code == 0
    return judge(build, rows) and ok


def print_row(build, row, header=False):
    if header:
        print("%-6s %7s %10s %10s %5s %7s %6s %6s %8s" %
              ("build", "minute", "rss kB", "vsz kB", "fds", "threads", "cpu %", "gdi",
               "animates"), flush=True)
    print("%-6s %7.1f %10d %10d %5d %7d %6s %6s %8s" %
          (build, row["minute"], row["rss"], row["vsz"], row["fds"], row["threads"],
           "-" if row["cpu"] is None else "%.1f" % row["cpu"],
           "-" if row["gdi"] is None else row["gdi"], "yes" if row["animates"] else "NO"),
          flush=True)


def judge(build, rows):
    """Flat means: after the first sample (start-up), memory grows by at most 1 MiB and the
    descriptors and GDI objects not at all."""
    settled = rows[1:] or rows
    growth = settled[-1]["rss"] - settled[0]["rss"]
    fds = {r["fds"] for r in settled}
    gdi = {r["gdi"] for r in settled if r["gdi"] is not None}
    print("soak %s: memory %+d kB after start-up, descriptors %s, GDI objects %s" %
          (build, growth, sorted(fds), sorted(gdi) or "not reported"))
    return growth <= 1024 and len(fds) == 1 and len(gdi) <= 1


def main():
    if getattr(harness, "BUILD", "win64") != OPTIONS.build:
        print("soak %s: skipped (this harness drives the 64-bit build only)" % OPTIONS.build)
        return 0
    harness.skip_unless_tools()
    os.makedirs(OUT_DIR, exist_ok=True)
    if fixture.setup() != 0:
        return 1
    try:
        ok = soak(OPTIONS.build, OPTIONS.minutes, OPTIONS.interval)
    finally:
        fixture.cleanup()
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
