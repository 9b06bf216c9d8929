#!/usr/bin/python3
# Measures the game (BUILD/skyquill, beside the bundled list) against the floor
# (bench/floor) and prints one table. bench/run.sh runs it on a private Xvfb
# with no window manager, so each top-level window is a child of the root.
#   measure.py BUILD      RUNS (default 5): repetitions of the timed figures
import glob
import os
import re
import select
import statistics
import subprocess
import sys
import time

from Xlib import X, display

build = sys.argv[1]
runs = int(os.environ.get("RUNS", "5"))
programs = {"game": f"{build}/skyquill", "floor": f"{build}/bench/floor/skyquill_floor"}
quiet = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
samples = {}


def add(key, value):
    samples.setdefault(key, []).append(value)


def startup(exe, platform, *lists):
    # Counted from exec until the event loop first waits (first_idle_exit.cpp):
    # no idle time, in which the floor blinks its caret and the game does not.
    out = f"{build}/bench/callgrind.out"
    subprocess.run(["valgrind", "--tool=callgrind", "--trace-children=yes", f"--callgrind-out-file={out}", "env",
                    f"QT_QPA_PLATFORM={platform}", f"LD_PRELOAD={build}/bench/libskyquill_first_idle_exit.so", exe,
                    *lists], check=True, **quiet)
    key = " ".join([exe, platform, *lists])
    with open(out) as f:
        add(key, int(re.search(r"^summary: (\d+)", f.read(), re.M)[1]))
    # The reader's first call, as start-up makes it: its inclusive cost.
    text = subprocess.run(["callgrind_annotate", "--inclusive=yes", out], capture_output=True, text=True).stdout
    reader = re.search(r"^ *([\d,]+) .*readWordList\(QString const&\)", text, re.M)
    if reader:
        add(f"reader {key}", int(reader[1].replace(",", "")))


# The bundled words written in Cyrillic letters, in Windows-1251 and in UTF-8;
# and a list of 100 MB whose first 10,000 words are the bundled ones.
bundled = [line.strip() for line in open(f"{build}/SkyquillList.txt", encoding="utf-8")]
cyrillic = "\r\n".join(w.translate(str.maketrans("abcdefghijklmnopqrstuvwxyz", "абцдефгхийклмнопярстувшжыз")) for w in bundled)
lists = {"cp1251": f"{build}/bench/cyrillic-1251.txt", "utf8": f"{build}/bench/cyrillic-utf8.txt",
         "huge": f"{build}/bench/huge.txt", "bundled": f"{build}/SkyquillList.txt"}
open(lists["cp1251"], "wb").write(cyrillic.encode("cp1251"))
open(lists["utf8"], "wb").write(cyrillic.encode("utf-8"))
with open(lists["huge"], "wb") as f:
    f.write("\n".join(bundled + [""]).encode())
    f.write(b"overflow\n" * (100_000_000 // 9))


print(f"start-up under callgrind, 3 runs; then the drop period, {runs} runs", file=sys.stderr)
for _ in range(3):
    for platform in ("xcb", "offscreen"):
        for exe in programs.values():
            startup(exe, platform)
    for name in ("cp1251", "utf8", "huge", "bundled"):
        startup(programs["game"], "offscreen", lists[name])
for _ in range(runs):
    out = subprocess.run([f"{build}/bench/skyquill_drop_period"], env=dict(os.environ, QT_QPA_PLATFORM="offscreen"),
                         capture_output=True, text=True, check=True).stdout
    for line in out.splitlines():
        fields = dict(kv.split("=") for kv in line.split())
        add(f"period {fields['interval']}", float(fields["period_ms"]))
        add(f"drift {fields['interval']}", float(fields["drift_ms"]))

d = display.Display()
d.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)


def event(kind):
    # A blocking read on the connection, not polling: the time is the event's.
    end = time.monotonic() + 30
    while True:
        if d.pending_events():
            e = d.next_event()
            if e.type == kind:
                return e
        elif not select.select([d], [], [], max(0.0, end - time.monotonic()))[0]:
            raise TimeoutError(f"no X event of type {kind}")


def start(name):
    t0 = time.monotonic()
    proc = subprocess.Popen([programs[name]], **quiet)
    window = event(X.MapNotify).window
    return proc, window, (time.monotonic() - t0) * 1e3


def stop(proc, window):
    proc.kill()
    proc.wait()
    while event(X.DestroyNotify).window.id != window.id:
        pass


def cpu_ns(pid):
    return sum(int(open(f).read().split()[0]) for f in glob.glob(f"/proc/{pid}/task/*/schedstat"))


print(f"time to map, {3 * runs} starts each; then memory and CPU, {runs} runs", file=sys.stderr)
for name in programs:  # a warm-up: page cache, font cache
    stop(*start(name)[:2])
for _ in range(3 * runs):
    for name in programs:
        proc, window, ms = start(name)
        add(f"map {name}", ms)
        stop(proc, window)
for i in range(runs):
    for name in sorted(programs, reverse=i % 2 == 1):  # either goes first as often
        proc, window, _ = start(name)
        time.sleep(2)
        with open(f"/proc/{proc.pid}/status") as f:
            add(f"rss {name}", int(re.search(r"VmRSS:\s+(\d+)", f.read())[1]) / 1024)
        subprocess.run(["xdotool", "windowfocus", "--sync", str(window.id), "key", "ctrl+n"], check=True)
        time.sleep(1)
        c0, t0 = cpu_ns(proc.pid), time.monotonic_ns()
        time.sleep(10)
        add(f"fall {name}", (cpu_ns(proc.pid) - c0) / (time.monotonic_ns() - t0) * 100)
        stop(proc, window)

m = {key: statistics.median(values) for key, values in samples.items()}
game, floor = programs["game"], programs["floor"]
rows = []


def row(figure, g, f, ratio, goal, met):
    rows.append(f"| {figure} | {g} | {f} | {ratio} | {goal} | {'yes' if met else 'NO'} |")


for platform in ("xcb", "offscreen"):
    g, f = m[f"{game} {platform}"], m[f"{floor} {platform}"]
    row(f"Start-up, callgrind instructions, {platform}", f"{g / 1e6:.2f} M", f"{f / 1e6:.2f} M", f"{g / f:.3f}",
        "≤ 1.08 × floor", g / f <= 1.08)
    r = m[f"reader {game} {platform}"]
    row("  readWordList in it, bundled list", f"{r / 1e6:.2f} M", "", "", "≤ 4 M", r <= 4e6)
given = {name: m[f"{game} offscreen {path}"] for name, path in lists.items()}
row("Start-up, 10,000 words in Windows-1251, offscreen", f"{given['cp1251'] / 1e6:.2f} M", f"{given['utf8'] / 1e6:.2f} M",
    f"{given['cp1251'] / given['utf8']:.3f}", "≤ the same words in UTF-8", given["cp1251"] <= given["utf8"])
row("Start-up, 100 MB list, its first 10,000 words the bundled ones", f"{given['huge'] / 1e6:.2f} M",
    f"{given['bundled'] / 1e6:.2f} M", f"{given['huge'] / given['bundled']:.3f}", "≤ 1.005 × the bundled list",
    given["huge"] <= 1.005 * given["bundled"])
g, f = m["map game"], m["map floor"]
row("Time to map (MapNotify)", f"{g:.1f} ms", f"{f:.1f} ms", f"{g / f:.3f}", "≤ 1.05 × floor", g / f <= 1.05)
g, f = m["rss game"], m["rss floor"]
row("Resident memory, settled", f"{g:.1f} MB", f"{f:.1f} MB", f"{g - f:+.2f} MB", "≤ floor + 1 MB", g - f <= 1)
g, f = m["fall game"], m["fall floor"]
row("CPU while a word falls, % of a core", f"{g:.2f} %", f"{f:.2f} %", f"{g / f:.2f}", "≤ 1.25 × floor",
    g / f <= 1.25)
for interval, nominal in (("1", 15.625), ("25", 31.25)):
    p, drift = m[f"period {interval}"], m[f"drift {interval}"]
    error = (p / nominal - 1) * 100
    row(f"Drop period, interval {interval} ({nominal} ms)", f"{p:.4f} ms ({error:+.3f} %)", "", "", "within 0.5 %",
        abs(error) <= 0.5)
    row(f"  last tick's drift after 10 s, interval {interval}", f"{drift:+.2f} ms", "", "", "≤ 2 ms", abs(drift) <= 2)
print(f"\nMedians of {runs} runs ({3 * runs} starts for the time to map, 3 for instructions); "
      f"{os.cpu_count()} cores, load average {os.getloadavg()[0]:.2f} {os.getloadavg()[2]:.2f} (1, 15 min)\n")
print("| figure | game | floor, or the list compared | ratio | goal | met |\n|---|---|---|---|---|---|")
print("\n".join(rows))
