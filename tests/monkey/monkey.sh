#!/usr/bin/env bash
# MONKEY_SECONDS (default 60) of random keys, shortcuts, pastes and clicks on
# the real game with a mixed-script list. It passes if the game still runs,
# answers (Ctrl+R still opens the Rules box), and holds no more than 2 MB above its memory after the first 10 s.
#   monkey.sh <skyquill binary> <scratch dir>
set -uo pipefail
source "$(dirname "$0")/../../scripts/xvfb.sh"
dir=$2 seconds=${MONKEY_SECONDS:-60} title=" Tamsley's Skyquill Game"
rm -rf "$dir" && x_install_game "$1" "$dir" || exit 1
trap '[[ -n ${GAME_PID:-} ]] && kill "$GAME_PID" 2>/dev/null; x_stop' EXIT
fail() { echo "FAIL: $*"; tail -n 5 "$dir/game.log"; exit 1; }
words=(café naïve Straße λόγος θάλασσα слово ёлка жизнь)
printf '%s\n' "${words[@]}" >"$dir/game/SkyquillList.txt"
x_start "$dir/xvfb.log" 70 79 || exit 1
x_run_game "$dir"
win=$(x_wait_window "$title" 30) || fail "no game window"
rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$GAME_PID/status"; }
pick() { local -n list=$1; printf '%s' "${list[RANDOM % ${#list[@]}]}"; }
keys=(BackSpace Escape Delete Home End Left Right Tab Return space shift+Home ctrl+n ctrl+p ctrl+r ctrl+a
    ctrl+z ctrl+c ctrl+v ctrl+BackSpace ctrl+Delete shift+Insert)
events=0 start=$SECONDS rss10=""
while ((SECONDS - start < seconds)); do
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended after $events events"
    xdotool windowfocus --sync "$win" 2>/dev/null
    case $((RANDOM % 4)) in
    0) xdotool type --delay 5 "$(pick words)" ;;
    1) xdotool key "$(pick keys)" ;;
    2) pick words | xclip -selection clipboard -i && xdotool key ctrl+v ;;
    *) xdotool mousemove --window "$win" $((RANDOM % 290)) $((RANDOM % 600)) click 1 ;;
    esac
    for box in "Rules of Skyquill" "About Skyquill" "Congratulations!"; do
        for id in $(xdotool search --onlyvisible --name "^$box\$" 2>/dev/null); do
            xdotool windowfocus --sync "$id" key Return 2>/dev/null
        done
    done
    events=$((events + 1))
    [[ -z $rss10 ]] && ((SECONDS - start >= 10)) && rss10=$(rss)
done
sleep 1
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended after $events events"
xdotool windowfocus --sync "$win" key ctrl+r
x_close_box "Rules of Skyquill" 5 || fail "the game no longer answers Ctrl+R"
growth=$(($(rss) - ${rss10:-$(rss)}))
echo "monkey: $events events in $seconds s, memory grew $growth kB after the first 10 s"
((growth <= 2048)) || fail "memory grew by $growth kB"
