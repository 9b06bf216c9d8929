#!/usr/bin/env python3
# Plants each fault of tools/faults.py in turn and says which test suite
# catches it. The faults go into a copy of the working tree (build/faults/src:
# the checkout, which others edit and build, never holds one), built
# incrementally in build/faults/build (Release); the CTest labels run fastest
# first, unit, then view, then the real window (e2e) for what they miss. A
# fault that breaks the build is caught by "build".
#   tools/plant-faults.py [--only ID ...] [--no-e2e]
import argparse
import collections
import filecmp
import os
import pathlib
import shutil
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tools"))
from faults import FAULTS  # noqa: E402

TREE, BUILD, LOG = ROOT / "build/faults/src", ROOT / "build/faults/build", ROOT / "build/faults/last.log"


def ok(*command):
    try:  # the last command's output stays in the log, to look into a failure
        with open(LOG, "w") as log:
            return subprocess.run(command, cwd=TREE, stdout=log, stderr=log, timeout=1800).returncode == 0
    except subprocess.TimeoutExpired:
        return False


def caught_by(labels):
    if not ok("cmake", "--build", BUILD, "-j2", "--target", "skyquill", "unit_tests", "view_tests"):
        return "build"
    for label in labels:
        if not ok("ctest", "--test-dir", BUILD, "-L", f"^{label}$", "-j2", "--timeout", "240", "--stop-on-failure",
                  "--output-on-failure"):
            return label
    return None


def mirror():
    # Changed files only, so that the build stays incremental; a copied file
    # takes the time of copying, or a build older than its edit would miss it.
    listed = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"], cwd=ROOT,
                            capture_output=True, check=True).stdout.decode().split("\0")
    for rel in filter(None, listed):
        source, copy = ROOT / rel, TREE / rel
        if source.is_file() and not (copy.exists() and filecmp.cmp(source, copy, shallow=False)):
            copy.parent.mkdir(parents=True, exist_ok=True)
            shutil.copy(source, copy)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--only", nargs="+", metavar="ID")
    parser.add_argument("--no-e2e", action="store_true")
    args = parser.parse_args()
    labels = ["unit", "view"] + ([] if args.no_e2e else ["e2e"])
    mirror()
    subprocess.run(["cmake", "-S", TREE, "-B", BUILD, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                    "-DSKYQUILL_BENCH=OFF", "-DSKYQUILL_WERROR=ON"], check=True, stdout=subprocess.DEVNULL)
    failed = caught_by(labels)
    if failed:
        sys.exit(f"the unchanged tree must build and pass first: {failed} fails, see {LOG}")
    results = collections.Counter()
    for fid, rel, original, faulty in FAULTS:
        if args.only and fid not in args.only:
            continue
        path = TREE / rel
        text = path.read_text() if path.is_file() else ""
        if text.count(original) != 1:
            result = "stale"  # the original is not in its file exactly once
        else:
            try:
                path.write_text(text.replace(original, faulty))
                result = caught_by(labels) or "MISSED"
            finally:
                path.write_text(text)
        results[result] += 1
        print(f"{fid:32} {rel:30} {result}", flush=True)
    planted = sum(results.values()) - results["stale"]
    print(f"\n{planted - results['MISSED']} of {planted} planted faults caught; "
          + ", ".join(f"{k} {v}" for k, v in results.items()))


if __name__ == "__main__":
    main()
