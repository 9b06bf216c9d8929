#!/usr/bin/python3
"""Time from process start to the mapped window, read from the X server's
MapNotify event rather than by polling.

Usage: map_time.py STARTS RSS_RUNS SETTLE_S NAME=COMMAND [NAME=COMMAND ...]

Runs the commands in turn, STARTS rounds, on $DISPLAY (a private Xvfb with no
window manager, so each top-level window is a child of the root). Before each
start the probe listens for SubstructureNotify on the root window; the time is
taken when the MapNotify of the program's window reaches it, which it waits
for in a blocking read. It also reads the program's CPU time at that moment
(/proc/PID/task/*/schedstat, in ns). The program is then killed and its
window's DestroyNotify awaited, so no event of one start spills into the next.
Then RSS_RUNS more rounds read each program's VmRSS SETTLE_S seconds after
its window mapped (settled resident memory). Prints one line per start and,
last, "median NAME FIGURE V" for map_ms, cpu_ms and rss_kb.
"""
import glob
import select
import signal
import statistics
import subprocess
import sys
import time

from Xlib import X, display


def cpu_ms(pid):
    total = 0
    for path in glob.glob(f"/proc/{pid}/task/*/schedstat"):
        try:
            with open(path) as f:
                total += int(f.read().split()[0])
        except (OSError, ValueError, IndexError):
            pass
    return total / 1e6


def next_event(d, kinds, deadline):
    while True:
        if not d.pending_events():
            # Block on the connection until an event arrives or time is up.
            left = deadline - time.monotonic()
            if left <= 0:
                raise TimeoutError("no event")
            select.select([d.fileno()], [], [], left)
            if not d.pending_events():
                continue
        e = d.next_event()
        if e.type in kinds:
            return e


def rss_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def start_once(d, root, command, settle=0.0):
    root.change_attributes(event_mask=X.SubstructureNotifyMask)
    d.sync()
    t0 = time.monotonic()
    proc = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        e = next_event(d, (X.MapNotify,), t0 + 30)
        t1 = time.monotonic()
        cpu = cpu_ms(proc.pid)
        window = e.window
        if settle:
            time.sleep(settle)
            cpu = rss_kb(proc.pid)
    finally:
        proc.send_signal(signal.SIGKILL)
        proc.wait()
    try:
        while next_event(d, (X.DestroyNotify,), time.monotonic() + 5).window.id != window.id:
            pass
    except TimeoutError:
        pass
    root.change_attributes(event_mask=0)
    d.sync()
    while d.pending_events():
        d.next_event()
    return (t1 - t0) * 1000, cpu


def main():
    starts, rss_runs, settle = int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3])
    programs = [arg.split("=", 1) for arg in sys.argv[4:]]
    d = display.Display()
    root = d.screen().root
    results = {name: ([], [], []) for name, _ in programs}
    for name, command in programs:  # warm-up: page cache, font cache
        start_once(d, root, command.split())
    for _ in range(starts):
        for name, command in programs:
            ms, cpu = start_once(d, root, command.split())
            results[name][0].append(ms)
            results[name][1].append(cpu)
            print(f"{name} map_ms {ms:.2f} cpu_ms {cpu:.1f}", flush=True)
    for _ in range(rss_runs):
        for name, command in programs:
            _, kb = start_once(d, root, command.split(), settle)
            results[name][2].append(kb)
            print(f"{name} rss_kb {kb}", flush=True)
    for name, (ms, cpu, kb) in results.items():
        print(f"median {name} map_ms {statistics.median(ms):.2f}")
        print(f"median {name} cpu_ms {statistics.median(cpu):.1f}")
        if kb:
            print(f"median {name} rss_kb {statistics.median(kb)}")


if __name__ == "__main__":
    main()
