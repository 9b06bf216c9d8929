#!/usr/bin/env bash
# The real game in a real window, driven with xdotool and checked on
# screenshots. Under Fluxbox, which tells the frame only once the window is
# mapped, FILE, given after one of Qt's options while the player's own list
# holds another word, is played to a win, and Ctrl+X from the entry box ends
# the game. Then, under openbox on the display's second screen, which says
# the frame beforehand, the player's own list, its word typed to a win. Both
# times the whole frame opens centred; under openbox without a jump.
#   e2e.sh <the game, or a launcher that execs it> <scratch dir>
set -uo pipefail
if [[ -z ${E2E_XVFB:-} ]]; then
    # -noreset: between two launches no client is connected, and a server
    # that resets then refuses the next one for a moment.
    E2E_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -screen 1 800x700x24 -nolisten tcp -noreset" bash "$0" "$@"
fi
game=$(realpath "$1") dir=$2 title=" Tamsley's Skyquill Game" PID=""
rm -rf "$dir" && mkdir -p "$dir/cwd" "$dir/runtime" "$dir/data/skyquill" "$dir/.fluxbox" && chmod 700 "$dir/runtime" || exit 1
trap 'kill $PID 2>/dev/null' EXIT
# Nothing that rescales the window; no session bus, or libdbus starts one per launch.
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE
export QT_QPA_PLATFORM=xcb DBUS_SESSION_BUS_ADDRESS=disabled: XDG_RUNTIME_DIR=$dir/runtime XDG_DATA_HOME=$dir/data

fail() { import -window root "$dir/fail.png"; echo "FAIL: $* (the screen: $dir/fail.png)"; tail -n 5 "$dir/game.log"; exit 1; }
within() { local end=$((SECONDS + $1)); shift; until "$@"; do ((SECONDS < end)) || return 1; sleep 0.05; done; }
window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
shown() { [[ -n $(window "$1") ]]; }
# Focus goes through the manager: one set behind its back races its own.
key() { within 15 timeout 5 xdotool windowactivate --sync "$MAIN" key "$@" 2>/dev/null || fail "xdotool key $*"; }
# A window manager for the screen of $DISPLAY, at home in the scratch dir, where Fluxbox writes its settings
# and is told to set no background: the setter's complaint would open a window and take the focus.
manage() { echo "background: none" >"$dir/.fluxbox/overlay" && HOME=$dir "$@" >"$dir/$1.log" 2>&1 & }
# The window, and the frame's left, right, top and bottom around it (a title bar at the top), centred within
# 2 px on the WxH screen.
centred() {
    read -r x y w h l r t b < <(xwininfo -id "$MAIN" | awk '/Absolute upper-left [XY]|Width|Height/ { printf "%s ", $NF }'
        xprop -id "$MAIN" _NET_FRAME_EXTENTS | tr -c '0-9\n' ' ')
    ((t > 0 && (2 * x - l + r + w - $1) ** 2 <= 16 && (2 * y - t + b + h - $2) ** 2 <= 16))
}
# launch <screen width> <height> <argument>...: the game runs from an empty directory, where no list is ever read,
# and telling where the window goes. Its whole frame opens centred.
launch() {
    (cd "$dir/cwd" && QT_LOGGING_RULES=skyquill.frame.debug=true exec "$game" "${@:3}") >"$dir/game.log" 2>&1 & PID=$!
    within 15 shown "$title" || fail "no game window"
    MAIN=$(window "$title") && within 15 timeout 5 xdotool windowactivate --sync "$MAIN" 2>/dev/null
    within 5 centred "$1" "$2" || fail "the window ${w}x$h+$x+$y in a frame of $l $r $t $b is not centred on the $1x$2 screen"
}
expect_exit() { within 10 eval '! kill -0 $PID 2>/dev/null' || fail "still running"; wait "$PID"; local s=$?; PID=""; ((s == $1)) || fail "exit status $s, not $1"; }
closed() { xdotool windowactivate --sync "$(window "$1")" key Return 2>/dev/null; sleep 0.3; ! shown "$1"; }
close_box() { within 10 shown "$1" && within 10 closed "$1" || fail "no box '$1', or it stays open"; }
# A word high in the field: yellow in its top 300 rows (of the 290x565
# client area at the bottom of a shot of the window).
high() {
    import -window "$MAIN" "$dir/shot.png" && (($(convert "$dir/shot.png" -gravity SouthWest -crop 290x565+0+0 +repage \
        -gravity NorthWest -crop 290x300+0+0 -fuzz 25% -fill white -opaque yellow -fill black +opaque white \
        -format '%[fx:round(mean*w*h)]' info: 2>/dev/null) > 20))
}
# New Game, then <word> typed whenever it is high in the field, until the tenth point wins.
win() {
    key ctrl+n
    for _ in $(seq 30); do
        within 10 eval 'shown Congratulations! || high' || fail "no word high in the field"
        shown Congratulations! && break
        xdotool type --delay 15 "$1"
    done
    close_box Congratulations!
}

echo "under Fluxbox, FILE, after one of Qt's options and over the player's own list, played to a win"
manage fluxbox -screen 0 && within 10 eval 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window' || fail "no fluxbox"
printf 'quill\n' >"$dir/quill.txt" && printf 'zebra\n' >"$dir/data/skyquill/SkyquillList.txt"
launch 1024 768 -platform xcb "$dir/quill.txt"
win quill
key ctrl+x  # from the entry box, where the line edit must not take it for Cut
expect_exit 0

echo "under openbox on the second screen, the player's own list, played to a win"
export DISPLAY=${DISPLAY%.*}.1
manage openbox --startup "touch $dir/ready" && within 10 test -e "$dir/ready" || fail "no openbox"
launch 800 700
grep "centred again" "$dir/game.log" && fail "the window jumped under openbox, which told its frame before the map"
win zebra
echo PASS
