#!/usr/bin/env bash
# The real game in a real window under Xvfb, driven with xdotool and checked
# on screenshots: a game played to a win with FILE, pause, help,
# MONKEY_SECONDS (default 30) of random keys, and the ways out (Ctrl+X;
# Alt+F4 under a window manager on the display's second screen, where the
# whole frame must also open centred). Lists that are refused are the
# package check's. The random keys run without a window manager: xdotool's
# own focus changes would race the manager's.
#   e2e.sh <skyquill binary> <scratch dir>
set -uo pipefail
source "$(dirname "$0")/../../scripts/xvfb.sh"
dir=$2 title=" Tamsley's Skyquill Game" GAME_PID=""
rm -rf "$dir" && x_install_game "$1" "$dir" || exit 1
trap '[[ -n $GAME_PID ]] && kill "$GAME_PID" 2>/dev/null; x_stop' EXIT
x_start "$dir/xvfb.log" 50 69 || exit 1

fail() { import -window root "$dir/fail.png"; echo "FAIL: $* (the screen: $dir/fail.png)"; tail -n 5 "$dir/game.log"; exit 1; }
window() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
key() { xdotool windowfocus --sync "$MAIN" key "$@" || fail "xdotool key $*"; }
launch() { x_run_game "$dir" "" "$@" && MAIN=$(x_wait_window "$title" 15) && xdotool windowfocus --sync "$MAIN" || fail "no game window"; }
expect_exit() { x_wait_exit 10; local status=$?; GAME_PID=""; ((status == $1)) || fail "exit status $status, not $1"; }
ok_box() { x_close_box "$1" 10 || fail "no box titled '$1', or it stays open"; }
# count <colour> <x y w h> in the last screenshot: COUNT pixels of that colour
# in that part of the field, TOP the highest of them. sky <colour> takes a
# new screenshot and counts in the sky; WORD is the falling word's top.
count() { read -r COUNT TOP < <(x_count "$dir/shot.png" "$@") || fail "reading $dir/shot.png"; }
sky() { read -r COUNT TOP < <(x_sky "$MAIN" "$dir/shot.png" "$1") || fail "screenshot"; }
falling() { sky yellow && ((COUNT > 20)) && WORD=$TOP && count red 16 40 257 40 && ((COUNT == 0)); }

echo "FILE, after one of Qt's options and over the player's own list, played to a win"
printf 'quill\n' | tee "$dir/quill.txt" >"$dir/game/SkyquillList.txt"  # the one beside the game: the last launch
mkdir -p "$dir/data/skyquill" && printf 'zebra\n' >"$dir/data/skyquill/SkyquillList.txt"
launch -platform xcb "$dir/quill.txt"
sky black && ((COUNT == 290 * 500)) || fail "the idle field is not all black ($COUNT)"
count red 0 502 288 5 && ((COUNT == 288 * 5)) || fail "no red ground line ($COUNT)"
key ctrl+n
x_within 5 falling || fail "no yellow word after New Game"
for _ in $(seq 30); do  # type each word while it is high in the field, until the tenth point wins
    x_within 10 eval 'window "Congratulations!" || (falling && ((WORD < 300)))' || fail "no word high in the field"
    window "Congratulations!" && break
    xdotool type --delay 15 quill
done
ok_box "Congratulations!"

echo "random keys"
key ctrl+n
x_within 5 falling || fail "no word after the second New Game"
# Random keys and shortcuts, any box they open closed: the game must still
# run and answer.
boxes='^(Rules of|About) Skyquill$|^Congratulations!$'
close_boxes() { for id in $(xdotool search --onlyvisible --name "$boxes"); do xdotool windowfocus --sync "$id" key Return; done 2>/dev/null; }
keys=(BackSpace Escape Delete Home Left Tab Return space q u i l eacute ctrl+n ctrl+p ctrl+r ctrl+a ctrl+z ctrl+v)
for ((start = SECONDS, events = 0; SECONDS - start < ${MONKEY_SECONDS:-30}; events++)); do
    xdotool windowfocus --sync "$MAIN" key --delay 5 "${keys[RANDOM % ${#keys[@]}]}" 2>/dev/null
    close_boxes
done
sleep 1 && close_boxes
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended after $events random keys"
key ctrl+x  # from the entry box, where the line edit must not take it for Cut
expect_exit 0

rm -r "$dir/data"  # the list beside the game, by its name
echo "under a window manager on the second screen: the whole frame opens centred there, and Alt+F4 closes"
export DISPLAY=$DISPLAY.1
openbox >"$dir/openbox.log" 2>&1 &
WM=$!
x_within 10 eval 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window' || fail "openbox did not start"
launch
frame=$MAIN root=$(xwininfo -root | awk '/Window id/ { print $4 }')
until parent=$(xwininfo -tree -id "$frame" | awk '/Parent window id/ { print $4 }') && [[ $parent == "$root" ]]; do
    frame=$parent
done
read -r x y w h < <(xwininfo -id "$frame" | awk '/Absolute upper-left [XY]|Width|Height/ { printf "%s ", $NF }')
(((2 * x + w - 800) ** 2 <= 16 && (2 * y + h - 700) ** 2 <= 16)) ||
    fail "the frame ${w}x$h+$x+$y is not centred on the 800x700 screen"
key alt+F4
expect_exit 0
kill "$WM"
echo PASS
