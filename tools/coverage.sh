#!/usr/bin/env bash
# Line coverage of src/ by the unit, view and real-window tests, with gcovr,
# from a Debug build of its own in build/coverage. Prints the summary; the
# per-file table is in build/coverage/coverage.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build/coverage -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=--coverage \
    -DSKYQUILL_BENCH=OFF >/dev/null
cmake --build build/coverage -j 2
find build/coverage -name '*.gcda' -delete
SKYQUILL_SESSION_EVENTS=100000 ctest --test-dir build/coverage --output-on-failure
# The command line's answers, which the package check asks of the installed game.
for option in --help --version --frobnicate; do
    env -u DISPLAY -u WAYLAND_DISPLAY build/coverage/skyquill "$option" >/dev/null 2>&1 || true
done
gcovr -r . --filter 'src/' --exclude-unreachable-branches --print-summary -o build/coverage/coverage.txt build/coverage
