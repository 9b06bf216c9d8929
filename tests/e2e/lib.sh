# Helpers for the end-to-end tests: the game, copied into a scratch directory,
# on a private Xvfb display, driven with xdotool and checked on screenshots.
# A test calls e2e_init <binary> <scratch dir>, then e2e_play (or e2e_open and
# e2e_new_game). Every wait has a deadline; on exit the game and X are ended.
# Pixel coordinates are client-area ones: (0,0) is the top-left pixel of the
# field, just below the menu bar.

# The scripts read the results (COUNT, SPAN, HASH...) and constants; the awk
# programs' $ fields are awk's.
# shellcheck disable=SC2034,SC2016
set -uo pipefail
# shellcheck source=../support/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb.sh"

readonly E2E_FIELD_W=290
readonly E2E_FIELD_H=565
readonly E2E_ABOVE_GROUND=502                   # rows 0..501 lie above the red ground line
readonly E2E_SKY=(0 0 "$E2E_FIELD_W" "$E2E_ABOVE_GROUND")
readonly E2E_ENTRY_INSIDE=(10 522 221 29)       # the entry box (8,520 225x33) within its frame
readonly E2E_SCORE=(240 520 41 33)
readonly E2E_BANNER=(16 40 257 40)

E2E_DIR="" GAME_PID="" GAME_STATUS="" MAIN_WIN="" MENU_H=""
E2E_HELPER_PIDS=()   # other processes a test starts, ended on exit
SHOT="" SHOT_SEQ=0 SHOT_NAME=""
COUNT=0 TOP=-1 SPAN=0 HASH="" PIXEL=""

e2e_log() { printf '[%s] %s\n' "$(date +%T.%3N)" "$*"; }

e2e_init() {
    local bin=$1 scratch=$2 tool
    [[ -n $scratch ]] || { echo "FAIL: no scratch directory given"; exit 1; }
    [[ -x $bin ]] || { echo "FAIL: no game binary at $bin"; exit 1; }
    for tool in Xvfb xdpyinfo xdotool xwininfo xprop xev /usr/bin/import /usr/bin/convert md5sum timeout; do
        command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/deps.sh installs it)"; exit 1; }
    done
    E2E_DIR=$scratch
    rm -rf "$E2E_DIR"
    mkdir -p "$E2E_DIR/shots"
    x_install_game "$bin" "$E2E_DIR" || { echo "FAIL: could not copy the game to $E2E_DIR"; exit 1; }
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
}

e2e_cleanup() {
    local status=$? pid
    for pid in "${E2E_HELPER_PIDS[@]}" "$GAME_PID"; do
        [[ -n $pid ]] && kill -KILL "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    x_stop
    exit "$status"
}

# Ends the test with the message, a screenshot of every window on screen,
# the list of screenshots and the end of the game's output.
e2e_fail() {
    echo "FAIL: $*"
    local w
    if [[ -n ${DISPLAY:-} && -n $XVFB_PID ]]; then
        for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
            /usr/bin/import -window "$w" "png:$E2E_DIR/shots/failure-$w.png" 2>/dev/null
        done
        if ! kill -0 "$XVFB_PID" 2>/dev/null; then
            echo "the X server (pid $XVFB_PID) is gone; see $E2E_DIR/xvfb.log"
        elif ! xdpyinfo >/dev/null 2>&1; then
            echo "the X server (pid $XVFB_PID) runs but does not answer on $DISPLAY"
        fi
    fi
    [[ -n $SHOT ]] && echo "last screenshot checked: $SHOT"
    echo "screenshots in $E2E_DIR/shots:"
    find "$E2E_DIR/shots" -type f -printf '  %p\n' 2>/dev/null | sort
    if [[ -s $E2E_DIR/game.log ]]; then
        echo "game output:"
        tail -n 20 "$E2E_DIR/game.log"
    fi
    exit 1
}

e2e_start_xvfb() {
    x_start "$E2E_DIR/xvfb.log" 50 69 || e2e_fail "Xvfb did not start on a display in :50-:69"
    e2e_log "Xvfb on $DISPLAY"
}

e2e_start_game() {
    x_run_game "$E2E_DIR"
    e2e_log "game started, pid $GAME_PID"
}

# Starts the game and waits for its main window, painted and focused.
e2e_launch() {
    e2e_start_game
    e2e_wait_main_window
    e2e_focus "$MAIN_WIN"
}

# New Game (Ctrl+N), then waits until the check given holds, such as
# e2e_field_yellow <shot name>: a yellow word in the field.
e2e_new_game() {
    e2e_key ctrl+n
    e2e_wait_until 20 "$1 after New Game" "$@"
}

# The one-word list "quill" beside the game, X, and the game's main window.
e2e_open() {
    printf 'quill\n' >"$E2E_DIR/game/SkyquillList.txt"
    e2e_start_xvfb
    e2e_launch
}

# The usual start: e2e_open, then e2e_new_game with the check given.
e2e_play() {
    e2e_open
    e2e_new_game "$@"
}

# Polls a command until it succeeds: e2e_wait_until <seconds> <what> <command...>
e2e_wait_until() {
    local deadline=$((SECONDS + $1)) seconds=$1 what=$2
    shift 2
    until "$@"; do
        ((SECONDS >= deadline)) && e2e_fail "timed out after ${seconds}s waiting for: $what"
        sleep 0.05
    done
}

# Sets WIN to the first visible window whose name matches the regular
# expression; returns 1 when there is none.
e2e_find_window() {
    WIN=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [[ -n $WIN ]]
}

# Waits for a visible window with exactly this title and sets WIN. (xdotool
# matches names as case-blind regular expressions, hence the second check.)
e2e_wait_window() {
    local title=$1 seconds=${2:-10} name regex
    regex="^$(printf '%s' "$title" | sed 's/[][\.*^$+?(){}|]/\\&/g')\$"
    e2e_wait_until "$seconds" "a window titled '$title'" e2e_find_window "$regex"
    name=$(xdotool getwindowname "$WIN")
    [[ $name == "$title" ]] || e2e_fail "window $WIN is titled '$name', not '$title'"
}

# Running, and not a zombie left for e2e_wait_exit to reap (field 3 of
# /proc/<pid>/stat; the name in field 2 has no blanks here).
e2e_game_alive() {
    kill -0 "$GAME_PID" 2>/dev/null && [[ $(awk '{print $3}' "/proc/$GAME_PID/stat" 2>/dev/null) != Z ]]
}
e2e_game_ended() { ! e2e_game_alive; }

# Waits for the game to end and sets GAME_STATUS to its exit status.
e2e_wait_exit() {
    e2e_wait_until "${1:-10}" "the game to end" e2e_game_ended
    wait "$GAME_PID"
    GAME_STATUS=$?
    GAME_PID=""
    e2e_log "game ended with status $GAME_STATUS"
}

# Gives a window the keyboard focus. Without a window manager nothing else
# does: not at start, nor after a message box closes.
e2e_focus() {
    timeout 10 xdotool windowfocus --sync "$1" || e2e_fail "could not focus window $1"
    [[ $(xdotool getwindowfocus) == "$1" ]] || e2e_fail "window $1 did not take the focus"
}

e2e_key() { timeout 10 xdotool key "$@" || e2e_fail "xdotool key $*"; }
e2e_type() { timeout 20 xdotool type --delay 20 "$1" || e2e_fail "xdotool type $1"; }

# Closes a message box with Return and waits until it is gone.
e2e_dismiss_box() {
    local id=$1 title
    title=$(xdotool getwindowname "$id")
    e2e_focus "$id"
    e2e_key Return
    e2e_wait_until 5 "the '$title' box to close" e2e_window_gone "$id"
}

e2e_window_gone() {
    ! xdotool search --onlyvisible --name '.' 2>/dev/null | grep -qx "$1"
}

# Screenshots a window (the main one by default) and sets SHOT to the file.
# Shots are numbered in order; the repeated shots of one poll overwrite each
# other, so the last one is what the check saw.
e2e_shot() {
    local name=$1 id=${2:-$MAIN_WIN}
    if [[ $name != "$SHOT_NAME" ]]; then
        SHOT_SEQ=$((SHOT_SEQ + 1))
        SHOT_NAME=$name
    fi
    SHOT=$(printf '%s/shots/%03d-%s.png' "$E2E_DIR" "$SHOT_SEQ" "$name")
    /usr/bin/import -window "$id" "png:$SHOT" 2>>"$E2E_DIR/import.log" ||
        e2e_fail "screenshot of window $id failed (see $E2E_DIR/import.log)"
}

# Prints "x y r g b" for every pixel of a client-area rectangle.
e2e_pixels() {
    local shot=$1 x=$2 y=$3 w=$4 h=$5
    /usr/bin/convert "$shot" -crop "${w}x${h}+${x}+$((y + ${MENU_H:-0}))" +repage -depth 8 txt:- |
        awk -v ox="$x" -v oy="$y" '
            /^#/ { next }
            { sub(/#.*/, ""); gsub(/[^0-9]+/, " "); $0 = $0
              print $1 + ox, $2 + oy, $3, $4, $5 }'
}

# The colour classes the checks use. Text is antialiased, so only the
# saturated core of a glyph counts.
readonly E2E_CLASSES='
function is(c, r, g, b) {
    if (c == "yellow") return r >= 200 && g >= 200 && b <= 100
    if (c == "red")    return r >= 200 && g <= 80 && b <= 80
    if (c == "black")  return r <= 20 && g <= 20 && b <= 20
    if (c == "green")  return r >= 118 && r <= 138 && g >= 245 && b >= 118 && b <= 138
    if (c == "dark")   return r + g + b <= 300
    if (c == "light")  return r >= 180 && g >= 180 && b >= 180
    print "unknown colour class " c > "/dev/stderr"; exit 2
}'

# Runs an awk program on the pixels of a colour class in a rectangle:
# e2e_scan <shot> <x y w h> <class> <program>
e2e_scan() {
    e2e_pixels "$1" "$2" "$3" "$4" "$5" | awk -v c="$6" "$E2E_CLASSES"' is(c, $3, $4, $5) '"$7"
}

# COUNT = pixels of the class in the rectangle; TOP = the topmost row holding
# one, -1 if none; SPAN = columns from the leftmost to the rightmost, 0 if none.
e2e_count() {
    COUNT=$(e2e_scan "$@" '{ n++ } END { print n + 0 }') || e2e_fail "could not read pixels of $1"
}
e2e_top() {
    TOP=$(e2e_scan "$@" '{ if (t == "" || $2 < t) t = $2 } END { print (t == "" ? -1 : t) }') ||
        e2e_fail "could not read pixels of $1"
}
e2e_span() {
    SPAN=$(e2e_scan "$@" '{ if (l == "" || $1 < l) l = $1; if (r == "" || $1 > r) r = $1 }
                          END { print (l == "" ? 0 : r - l + 1) }') || e2e_fail "could not read pixels of $1"
}

# Fails unless COUNT compares as given: e2e_expect_count <shot> <x y w h> <class> <op> <number> <what>
e2e_expect_count() {
    e2e_count "$1" "$2" "$3" "$4" "$5" "$6"
    (("COUNT $7 $8")) || e2e_fail "$9: $COUNT $6 pixels, expected $7 $8"
}

# HASH = digest of a rectangle's pixels, to compare two screenshots.
e2e_hash() {
    local shot=$1 x=$2 y=$3 w=$4 h=$5
    HASH=$(/usr/bin/convert "$shot" -crop "${w}x${h}+${x}+$((y + ${MENU_H:-0}))" +repage -depth 8 rgb:- |
        md5sum | cut -c1-32) || e2e_fail "could not read pixels of $shot"
}

# PIXEL = "r g b" of one pixel.
e2e_pixel() {
    PIXEL=$(e2e_pixels "$1" "$2" "$3" 1 1 | awk '{ print $3, $4, $5 }')
    [[ -n $PIXEL ]] || e2e_fail "could not read pixel ($2,$3) of $1"
}

# Fails unless the pixel belongs to the colour class: e2e_expect_pixel <shot> <x> <y> <class> <what>
e2e_expect_pixel() {
    e2e_count "$1" "$2" "$3" 1 1 "$4"
    if ((COUNT != 1)); then
        e2e_pixel "$1" "$2" "$3"
        e2e_fail "$5: pixel ($2,$3) is rgb($PIXEL), not $4"
    fi
}

# Qt draws the menu bar inside the field's X window, so xwininfo can't tell
# them apart: the field starts at the first black row down column 3, below
# the light menu bar. Waiting for that also waits for the first paint.
e2e_measure_menu() {
    local col
    MENU_H=""
    e2e_shot measure-menu
    col=$(e2e_pixels "$SHOT" 3 0 1 80 | awk "$E2E_CLASSES"'
        { printf "%s", is("black", $3, $4, $5) ? "B" : (is("light", $3, $4, $5) ? "L" : "x") }')
    [[ $col =~ ^(L[Lx]*)B{40} ]] || return 1   # light rows, then at least 40 black ones
    MENU_H=${#BASH_REMATCH[1]}
}

# Waits for the main window and its first paint; sets MAIN_WIN and MENU_H.
e2e_wait_main_window() {
    e2e_wait_window " Tamsley's Skyquill Game" 15
    MAIN_WIN=$WIN
    e2e_wait_until 10 "the idle window to be painted" e2e_measure_menu
    e2e_log "main window $MAIN_WIN, menu bar $MENU_H px"
}

# Checks of a fresh screenshot, for e2e_wait_until; the argument names it.
e2e_field_yellow() {
    e2e_shot "${1:-poll}"
    e2e_count "$SHOT" "${E2E_SKY[@]}" yellow
    ((COUNT > 0))
}

e2e_paused_on_screen() {
    ! e2e_field_yellow "$@" && e2e_count "$SHOT" "${E2E_BANNER[@]}" red && ((COUNT > 100))
}

e2e_running_on_screen() {
    e2e_field_yellow "$@" && e2e_count "$SHOT" "${E2E_BANNER[@]}" red && ((COUNT == 0))
}

# Waits for the pause banner, then checks that the field stays still for
# $2 seconds, during which a command given after them may run:
# e2e_expect_paused <shot name> <seconds> [command...]
e2e_expect_paused() {
    local name=$1 seconds=$2 before
    shift 2
    e2e_wait_until 5 "the pause banner ($name)" e2e_paused_on_screen "$name"
    e2e_hash "$SHOT" "${E2E_SKY[@]}"
    before=$HASH
    "$@"
    sleep "$seconds"
    e2e_paused_on_screen "$name-later" || e2e_fail "the game did not stay paused ($name)"
    e2e_hash "$SHOT" "${E2E_SKY[@]}"
    [[ $HASH == "$before" ]] || e2e_fail "the paused field changed ($name)"
}

# Resumes with the key; the word shows again and falls on.
e2e_expect_resumed() {
    e2e_key "$1"
    e2e_wait_until 5 "the word back after $1" e2e_running_on_screen "resumed-$2"
    e2e_expect_word_falls
}

# A word is falling with its top row at most $1: high enough not to land
# while the test types. A word too low is left to land; the next starts high.
e2e_word_above() {
    e2e_shot "${2:-poll}"
    e2e_top "$SHOT" "${E2E_SKY[@]}" yellow
    ((TOP >= 0 && TOP <= $1))
}

# The word's top row is lower in a screenshot 300 ms after another. A word
# low in the field could land (at row ~487) and restart between the two, so
# the pair is only judged when the first top row is at most 300.
e2e_expect_word_falls() {
    local first
    for _ in $(seq 20); do
        e2e_shot falls-a
        e2e_top "$SHOT" "${E2E_SKY[@]}" yellow
        first=$TOP
        ((first >= 0)) || e2e_fail "no yellow word in the field"
        sleep 0.3
        ((first > 300)) && continue
        e2e_shot falls-b
        e2e_top "$SHOT" "${E2E_SKY[@]}" yellow
        ((TOP > first)) || e2e_fail "the word did not fall: top row $first, then $TOP 300 ms later"
        e2e_log "word top row $first, then $TOP"
        return 0
    done
    e2e_fail "the word never showed above row 300"
}
