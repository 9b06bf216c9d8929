#!/usr/bin/env bash
# Builds the game and the benchmarks' programs (Release, build/bench) and
# prints the figures against the floor (bench/floor) in one table, measured by
# bench/measure.py on a private Xvfb (:80 or the next free display).
#   RUNS=n bench/run.sh      repetitions of the timed figures (default 5)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/bench
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSKYQUILL_BENCH=ON -DSKYQUILL_TESTS=OFF \
  -DSKYQUILL_WERROR=ON >/dev/null
cmake --build "$build" -j 2 --target skyquill skyquill_floor skyquill_drop_period skyquill_first_idle_exit
scratch=$(mktemp -d) && trap 'rm -rf "$scratch"' EXIT
# No D-Bus daemon autolaunched per start, no word list of the user's own, and
# a private runtime directory for Qt.
export DBUS_SESSION_BUS_ADDRESS=disabled: XDG_DATA_HOME=$scratch XDG_RUNTIME_DIR=$scratch
echo "$(git -C "$root" describe --always --dirty 2>/dev/null), $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
xvfb-run -a -n 80 -s "-screen 0 1024x768x24 -nolisten tcp" /usr/bin/python3 "$root/bench/measure.py" "$build"
