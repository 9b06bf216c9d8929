#!/usr/bin/env bash
# Leak check under valgrind memcheck, on the release build: the unit tests,
# the view tests on the offscreen platform, and a short session of the real
# game under Xvfb ended through File > Exit. Fails on any memory error and on
# any definite or indirect leak not suppressed in tests/leak.supp (which
# holds only Qt's and the X, font and GLib libraries' own). Logs, with a
# ready-made suppression for every leak found, go to build/leakcheck/.
#
# Valgrind rather than LeakSanitizer: it needs no second build, and the
# sanitizer build of the Qt view does not compile with g++ 12 and -Werror (a
# false -Wmaybe-uninitialized that the sanitizers' instrumentation provokes).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

cmake --preset release >/dev/null
cmake --build --preset release --target unit_tests view_tests skyquill

out=build/leakcheck
rm -rf "$out"
mkdir -p "$out"

# Definite and indirect leaks are failures. "Possibly lost" blocks are live
# ones reached through an interior pointer, which Qt's shared data gives all
# the time, so they are only counted in the log.
# shellcheck disable=SC2054  # the commas belong to the option values
memcheck=(valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect
    --errors-for-leak-kinds=definite,indirect --error-exitcode=99 --num-callers=40
    --suppressions="$root/tests/leak.supp" --gen-suppressions=all)

status=0
report() {
    local name=$1 rc=$2 log=$3
    local lost errors
    lost=$(grep -h -E 'definitely lost:|indirectly lost:' "$log" |
        awk '{gsub(",", "", $4); sum += $4} END {print sum + 0}')
    errors=$(grep -h 'ERROR SUMMARY' "$log" | awk '{sum += $4} END {print sum + 0}')
    printf '%-12s exit %-3s %s bytes definitely or indirectly lost, %s error(s)  (%s)\n' \
        "$name" "$rc" "$lost" "$errors" "$log"
    if [[ $rc -ne 0 || $lost -ne 0 || $errors -ne 0 ]]; then
        status=1
        grep -h -A 30 -E 'are definitely lost|are indirectly lost|Invalid |uninitialised|Mismatched' "$log" |
            head -n 80 >&2 || true
    fi
}

# Unit tests. Death tests fork; valgrind follows each child and checks it too.
# A shorter random session keeps this under a minute.
set +e
SKYQUILL_SESSION_EVENTS=20000 "${memcheck[@]}" --log-file="$out/unit.%p.log" \
    build/release/tests/unit_tests --gtest_brief=1 >"$out/unit.out" 2>&1
rc=$?
set -e
cat "$out"/unit.*.log >"$out/unit.log"
report unit_tests "$rc" "$out/unit.log"

set +e
QT_QPA_PLATFORM=offscreen "${memcheck[@]}" --log-file="$out/view.log" \
    build/release/tests/view_tests >"$out/view.out" 2>&1
rc=$?
set -e
report view_tests "$rc" "$out/view.log"

# The real game in a real window: start-up, New Game, typing, a paste,
# Rules, About, then Exit, which ends the program normally so that every
# leak shows at exit.
# shellcheck source=xvfb.sh
source scripts/xvfb.sh
work=$(mktemp -d "${TMPDIR:-/tmp}/skyquill-leak.XXXXXX")
game_pid=""
cleanup() {
    [[ -n $game_pid ]] && kill "$game_pid" 2>/dev/null
    x_stop
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/game" "$work/runtime"
chmod 700 "$work/runtime"
cp build/release/skyquill "$work/game/"
printf '%s\n' café λόγος слово >"$work/game/SkyquillList.txt"
x_start "$out/xvfb.log"
(
    x_game_env
    export XDG_RUNTIME_DIR="$work/runtime" XDG_DATA_HOME="$work/data"
    exec "${memcheck[@]}" --log-file="$root/$out/game.%p.log" "$work/game/skyquill"
) >"$out/game.out" 2>&1 &
game_pid=$!

session() {
    local win
    win=$(x_wait_window " Tamsley's Skyquill Game" 60) || return 1
    xdotool windowfocus --sync "$win" key ctrl+n
    xdotool type --delay 20 "caλсфé"
    printf 'слово' | xclip -selection clipboard -i 2>/dev/null
    xdotool key ctrl+v Escape
    xdotool windowfocus --sync "$win" key ctrl+r
    x_close_box "Rules of Skyquill" 30 || return 1
    xdotool windowfocus --sync "$win" key ctrl+a
    x_close_box "About Skyquill" 30 || return 1
    xdotool windowfocus --sync "$win" key ctrl+x
}
if ! (set -x; session) 2>"$out/session.trace"; then
    echo "leakcheck: the game window or one of its boxes did not come up" >&2
    status=1
fi
set +e
for _ in $(seq 60); do
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 1
done
if kill -0 "$game_pid" 2>/dev/null; then
    echo "leakcheck: the game did not end after Exit" >&2
    kill "$game_pid"
fi
wait "$game_pid"
rc=$?
set -e
game_pid=""
cat "$out"/game.*.log >"$out/game.log"
report skyquill "$rc" "$out/game.log"

exit $status
