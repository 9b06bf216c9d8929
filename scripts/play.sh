#!/usr/bin/env bash
# Installs what is missing, builds the release preset and starts the game with
# the bundled word list, or with FILE: scripts/play.sh [FILE]. (A list of your
# own in ~/.local/share/skyquill/ is played instead of the bundled one.)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --play
cmake --preset release -DSKYQUILL_TESTS=OFF -DSKYQUILL_BENCH=OFF >/dev/null
cmake --build --preset release --target skyquill
exec build/release/skyquill "$@"
