#!/usr/bin/env bash
# The real game in a real window under Xvfb, driven with xdotool and checked
# on screenshots: start-up without a list, a game played to a win, pause,
# help, and the ways out (Ctrl+X, the close box).
#   e2e.sh <skyquill binary> <scratch dir>
set -uo pipefail
source "$(dirname "$0")/../../scripts/xvfb.sh"
dir=$2 title=" Tamsley's Skyquill Game" GAME_PID="" shots=0
rm -rf "$dir" && x_install_game "$1" "$dir" || exit 1
trap '[[ -n $GAME_PID ]] && kill "$GAME_PID" 2>/dev/null; x_stop' EXIT
x_start "$dir/xvfb.log" 50 69 || exit 1

fail() { echo "FAIL: $* (last screenshot $dir/shot-$shots.png)"; tail -n 5 "$dir/game.log"; exit 1; }
within() { local end=$((SECONDS + $1)); shift; until "$@"; do ((SECONDS < end)) || return 1; sleep 0.05; done; }
window() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
key() { xdotool windowfocus --sync "$MAIN" key "$@" || fail "xdotool key $*"; }
launch() { x_run_game "$dir" && MAIN=$(x_wait_window "$title" 15) && xdotool windowfocus --sync "$MAIN" || fail "no game window"; }
expect_exit() { x_wait_exit 10; local status=$?; GAME_PID=""; ((status == $1)) || fail "exit status $status, not $1"; }
ok_box() { x_close_box "$1" 10 || fail "no box titled '$1', or it stays open"; }
# A screenshot, then count <colour> <x y w h>: COUNT pixels of that colour in
# that part of the field, TOP the highest of them; WORD the falling word's.
shot() { shots=$((shots + 1)); import -window "$MAIN" "$dir/shot-$shots.png" || fail "screenshot"; }
count() { read -r COUNT TOP < <(x_count "$dir/shot-$shots.png" "$@") || fail "reading $dir/shot-$shots.png"; }
sky() { shot; count "$1" 0 0 290 500; }
falling() { sky yellow && ((COUNT > 20)) && WORD=$TOP && count red 16 40 257 40 && ((COUNT == 0)); }
high() { falling && ((WORD < 300)); }
paused() { sky yellow && ((COUNT == 0)) && count red 16 40 257 40 && ((COUNT > 100)); }

echo "start-up without a list: the error box alone, then status 1"
x_run_game "$dir"
x_wait_window "ERROR!!!" 15 >/dev/null || fail "no error box"
sleep 0.5
window "$title" && fail "the game window shows beside the error box"
kill -0 "$GAME_PID" || fail "the game ended before OK"
ok_box "ERROR!!!"
expect_exit 1

echo "a game with a one-word list, played to a win"
printf 'quill\n' >"$dir/game/SkyquillList.txt"
launch
sky black && ((COUNT == 290 * 500)) || fail "the idle field is not all black ($COUNT)"
count red 0 502 288 5 && ((COUNT == 288 * 5)) || fail "no red ground line ($COUNT)"
count green 240 520 41 33 && ((COUNT > 800)) || fail "no green score box ($COUNT)"
key ctrl+n
within 5 falling || fail "no yellow word after New Game"
first=$WORD
within 3 eval 'falling && ((WORD > first))' || fail "the word does not fall"
for _ in $(seq 30); do
    within 10 eval 'window "Congratulations!" || high' || fail "no word high in the field"
    window "Congratulations!" && break
    xdotool type --delay 15 quill
done
ok_box "Congratulations!"
sleep 1
sky yellow && ((COUNT == 0)) || fail "a word falls after the win"

echo "pause with Esc, help boxes pause too"
key ctrl+n
within 5 falling || fail "no word after the second New Game"
key Escape
within 5 paused || fail "Esc shows no pause banner"
key Escape
within 5 falling || fail "Esc again does not bring the word back"
key ctrl+r
x_wait_window "Rules of Skyquill" 10 >/dev/null || fail "no Rules box"
shot
paused || fail "the game runs behind the Rules box"
ok_box "Rules of Skyquill"
key ctrl+a
ok_box "About Skyquill"
within 5 paused || fail "the game does not stay paused after help"
key ctrl+x
expect_exit 0

echo "the close box"
launch
/usr/bin/python3 - "$MAIN" <<'EOF' || fail "could not send the close request"
import sys
from Xlib import X, display, protocol
d = display.Display()
w = d.create_resource_object("window", int(sys.argv[1]))
message = [d.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]
w.send_event(protocol.event.ClientMessage(window=w, client_type=d.intern_atom("WM_PROTOCOLS"), data=(32, message)))
d.flush()
EOF
expect_exit 0
echo PASS
