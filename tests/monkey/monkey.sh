#!/usr/bin/env bash
# MONKEY_SECONDS (default 60) of random keys, shortcuts, pastes and clicks on
# the real game with a mixed-script list. It passes if the game still runs,
# answers (Ctrl+R still opens the Rules box), and holds no more than 2 MB
# above its memory after the first 10 s.
#   monkey.sh <skyquill binary> <scratch dir>
set -uo pipefail
source "$(dirname "$0")/../../scripts/xvfb.sh"
dir=$2 seconds=${MONKEY_SECONDS:-60} events=0 rss10=""
rm -rf "$dir" && x_install_game "$1" "$dir" || exit 1
trap '[[ -n ${GAME_PID:-} ]] && kill "$GAME_PID" 2>/dev/null; x_stop' EXIT
fail() { echo "FAIL: $* after $events events"; tail -n 5 "$dir/game.log"; exit 1; }
words=(café naïve Straße λόγος θάλασσα слово ёлка жизнь)
printf '%s\n' "${words[@]}" >"$dir/game/SkyquillList.txt"
keys=(BackSpace Escape Delete Home End Left Tab Return space ctrl+n ctrl+p ctrl+r ctrl+a ctrl+z ctrl+v ctrl+Delete)
x_start "$dir/xvfb.log" 70 79 && x_run_game "$dir" || exit 1
win=$(x_wait_window " Tamsley's Skyquill Game" 30) || fail "no game window"
# A box first: its one-time set-up belongs in the baseline.
xdotool windowfocus --sync "$win" key ctrl+n ctrl+r && x_close_box "Rules of Skyquill" 5 || fail "no Rules box"
rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$GAME_PID/status"; }
for ((start = SECONDS; SECONDS - start < seconds; events++)); do
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended"
    xdotool windowfocus --sync "$win" 2>/dev/null
    case $((RANDOM % 4)) in
    0) xdotool type --delay 5 "${words[RANDOM % 8]}" ;;
    1) xdotool key "${keys[RANDOM % ${#keys[@]}]}" ;;
    2) printf '%s' "${words[RANDOM % 8]}" | xclip -selection clipboard -i 2>/dev/null && xdotool key ctrl+v ;;
    *) xdotool mousemove --window "$win" $((RANDOM % 290)) $((RANDOM % 600)) click 1 ;;
    esac
    for id in $(xdotool search --onlyvisible --name '^(Rules of|About) Skyquill$|^Congratulations!$' 2>/dev/null); do
        xdotool windowfocus --sync "$id" key Return 2>/dev/null
    done
    [[ -z $rss10 ]] && ((SECONDS - start >= 10)) && rss10=$(rss)
done
sleep 1
xdotool windowfocus --sync "$win" key ctrl+r && x_close_box "Rules of Skyquill" 5 || fail "Ctrl+R opens no box"
growth=$(($(rss) - ${rss10:-$(rss)}))
echo "monkey: $events events in $seconds s, memory grew $growth kB after the first 10 s"
((growth <= 2048)) || fail "memory grew by $growth kB"
