#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit, view
# (offscreen) and end-to-end under Xvfb on the release preset, then builds and
# checks the Debian package from that build, then the unit tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer, and built with clang.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

section() { printf '\n== %s\n' "$*"; }

section "release build"
cmake --preset release >/dev/null
cmake --build --preset release

section "release tests"
ctest --preset release

section "Debian package"
scripts/check-package.sh

section "sanitizer build"
cmake --preset asan >/dev/null
cmake --build --preset asan --target unit_tests

section "sanitizer tests"
SKYQUILL_SESSION_EVENTS=100000 ctest --preset asan

section "clang build"
cmake --preset clang >/dev/null
cmake --build --preset clang

section "clang tests"
ctest --preset clang

for extra in scripts/analyse.sh scripts/leakcheck.sh; do
  if [[ -x "$extra" ]]; then
    section "$extra"
    "$extra"
  fi
done

# Reached only when every step above passed (set -e).
total=$({ ctest --preset release -N; ctest --preset asan -N; ctest --preset clang -N; } | awk '/Total Tests:/ {s += $3} END {print s + 0}')
printf '\ntest.sh: %d passed, 0 failed\n' "$total"
