#!/usr/bin/env python3
"""Plants each fault of tools/faults.py in turn, rebuilds the release tree
incrementally and runs the tests, fastest suites first; prints which suite
caught each fault. A fault that no test suite catches goes on to the package
check (scripts/check-package.sh), which runs the installed game's command
line, its lists and its launchers. The source is restored after every fault,
also on Ctrl+C.

    tools/plant-faults.py [--no-e2e] [--no-package] [--only ID ...] [--out FILE]
"""
import argparse
import os
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tools"))
from faults import FAULTS  # noqa: E402

BUILD = ROOT / "build" / "release"
TARGETS = ["skyquill", "unit_tests", "view_tests"]
# Fast suites first; a fault they catch never reaches the real window.
SUITES = [("unit", "unit"), ("view", "view"), ("e2e", "e2e")]


def run(cmd, timeout):
    # A few seconds of random keys are enough for a planted fault.
    env = dict(os.environ, MONKEY_SECONDS=os.environ.get("MONKEY_SECONDS", "5"))
    try:
        return subprocess.run(cmd, cwd=ROOT, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout, env=env).returncode == 0
    except subprocess.TimeoutExpired:
        return False


def build():
    return run(["cmake", "--build", str(BUILD), "--target", *TARGETS], 900)


def caught_by(suites, package=False):
    for name, label in suites:
        if not run(["ctest", "--test-dir", str(BUILD), "-L", label, "-j2", "--timeout", "240",
                    "--stop-on-failure"], 1800):
            return name
    if package and not run(["scripts/check-package.sh"], 1800):
        return "package"
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--no-e2e", action="store_true")
    parser.add_argument("--no-package", action="store_true")
    parser.add_argument("--only", nargs="*")
    parser.add_argument("--out")
    args = parser.parse_args()
    suites = [s for s in SUITES if not (args.no_e2e and s[0] == "e2e")]

    subprocess.run(["cmake", "--preset", "release"], cwd=ROOT, stdout=subprocess.DEVNULL, check=True)
    if not build() or caught_by(suites):
        sys.exit("the unchanged tree must build and pass first")

    rows, missed = [], 0
    for fid, rel, original, faulty in FAULTS:
        if args.only and fid not in args.only:
            continue
        path = ROOT / rel
        text = path.read_text()
        if text.count(original) != 1:
            rows.append((fid, rel, "stale: original text not found once"))
            continue
        try:
            path.write_text(text.replace(original, faulty))
            result = caught_by(suites, not args.no_package) if build() else "build"
        finally:
            path.write_text(text)
        if result is None:
            missed += 1
        rows.append((fid, rel, result or "MISSED"))
        print(f"{fid:32} {result or 'MISSED'}", flush=True)

    table = ["| fault | file | caught by |", "|---|---|---|"]
    table += [f"| {f} | {r} | {c} |" for f, r, c in rows]
    report = "\n".join(table) + f"\n\n{len(rows) - missed} of {len(rows)} caught\n"
    print(report)
    if args.out:
        pathlib.Path(args.out).write_text(report)
    build()


if __name__ == "__main__":
    main()
