#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the release build
# (g++) with its unit, view and real-window tests, then the Debian package
# made from it and checked; then a clang build under AddressSanitizer,
# UndefinedBehaviorSanitizer and LeakSanitizer, with clang-tidy and cppcheck
# on the game's sources, running the same tests and the reader's fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

# Includes run from src/qt/ to src/core/, never back.
# A Qt Gui or Widgets header named bare fails to compile in the core, which
# links QtCore only; these spellings would not.
! grep -rnE '#include\s*[<"](qt/|QtGui/|QtWidgets/)' src/core || exit 1

# Release: build and test.
cmake --preset release >/dev/null
cmake --build --preset release
ctest --preset release

# Debian package.
scripts/check-package.sh

# Sanitizers and analysis: build and test.
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

# Reached only when every step above passed.
total=$({ ctest --preset release -N; ctest --preset asan -N; } | awk '/Total Tests:/ { s += $3 } END { print s + 0 }')
printf '\ntest.sh: %d passed, 0 failed\n' "$total"
