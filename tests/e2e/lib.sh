# Shared helpers for the end-to-end tests: a private Xvfb display, the game
# started from its own scratch directory, keys through XTEST (xdotool), and
# pixel checks on screenshots of the real window.
#
# A test script sources this file and calls
#   e2e_init <skyquill binary> <scratch dir>
# then e2e_install_game, e2e_start_xvfb and e2e_start_game. Every wait has a
# deadline, and the EXIT trap ends the game and the X server.
#
# Coordinates given to the pixel helpers are client-area coordinates: (0,0) is
# the top-left pixel of the black field, just below the menu bar. Before the
# menu bar is measured they are plain window coordinates.

# The results (COUNT, SPAN, HASH...) and constants are read by the scripts.
# shellcheck disable=SC2034
set -uo pipefail

readonly E2E_FIELD_W=290
readonly E2E_FIELD_H=565
readonly E2E_ABOVE_GROUND=502   # rows 0..501 lie above the red ground line
readonly E2E_ENTRY_INSIDE=(10 522 221 29)   # the entry box (8,520 225x33) within its frame
readonly E2E_SCORE=(240 520 41 33)
readonly E2E_BANNER=(16 40 257 40)

E2E_DIR=""
GAME_PID=""
GAME_STATUS=""
XVFB_PID=""
E2E_HELPER_PIDS=()   # other processes a test starts, ended on exit
MAIN_WIN=""
MENU_H=""
SHOT=""
SHOT_SEQ=0
SHOT_NAME=""
COUNT=0
TOP=-1
SPAN=0
HASH=""
PIXEL=""

e2e_log() { printf '[%s] %s\n' "$(date +%T.%3N)" "$*"; }

e2e_init() {
    local bin=$1 scratch=$2
    [[ -n $scratch ]] || { echo "FAIL: no scratch directory given"; exit 1; }
    [[ -x $bin ]] || { echo "FAIL: no game binary at $bin"; exit 1; }
    local tool
    for tool in Xvfb xdpyinfo xdotool xwininfo xprop xev /usr/bin/import /usr/bin/convert md5sum timeout; do
        command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/deps.sh installs it)"; exit 1; }
    done
    E2E_DIR=$scratch
    rm -rf "$E2E_DIR"
    mkdir -p "$E2E_DIR/game" "$E2E_DIR/cwd" "$E2E_DIR/shots" "$E2E_DIR/runtime"
    chmod 700 "$E2E_DIR/runtime"
    cp "$bin" "$E2E_DIR/game/skyquill"
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
}

# Writes the word list beside the copied binary: one word a line. Without
# arguments no list is written.
e2e_install_game() {
    local w
    for w in "$@"; do
        printf '%s\n' "$w" >>"$E2E_DIR/game/SkyquillList.txt"
    done
}

e2e_cleanup() {
    local status=$? pid
    for pid in "${E2E_HELPER_PIDS[@]}"; do
        kill "$pid" 2>/dev/null && e2e_reap "$pid"
    done
    if [[ -n $GAME_PID ]] && kill -0 "$GAME_PID" 2>/dev/null; then
        kill "$GAME_PID" 2>/dev/null
        e2e_reap "$GAME_PID"
    fi
    if [[ -n $XVFB_PID ]] && kill -0 "$XVFB_PID" 2>/dev/null; then
        kill "$XVFB_PID" 2>/dev/null
        e2e_reap "$XVFB_PID"
    fi
    exit "$status"
}

# Waits up to 3 s for a process we killed, then forces it.
e2e_reap() {
    local pid=$1
    for _ in $(seq 30); do
        kill -0 "$pid" 2>/dev/null || break
        [[ $(e2e_proc_state "$pid") == Z ]] && break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
}

e2e_proc_state() {
    # Field 3 of /proc/<pid>/stat; the name in field 2 has no blanks here.
    awk '{print $3}' "/proc/$1/stat" 2>/dev/null
}

# Prints the message with the screenshots already taken, plus a fresh one of
# every window on screen, and ends the test.
e2e_fail() {
    echo "FAIL: $*"
    if [[ -n ${DISPLAY:-} && -n $XVFB_PID ]]; then
        local w
        for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
            /usr/bin/import -window "$w" "png:$E2E_DIR/shots/failure-$w.png" 2>/dev/null
        done
    fi
    if [[ -n $SHOT ]]; then
        echo "last screenshot checked: $SHOT"
    fi
    echo "screenshots in $E2E_DIR/shots:"
    find "$E2E_DIR/shots" -type f -printf '  %p\n' 2>/dev/null | sort
    if [[ -n $XVFB_PID ]]; then
        if ! kill -0 "$XVFB_PID" 2>/dev/null; then
            echo "the X server (pid $XVFB_PID) is gone; see $E2E_DIR/xvfb.log"
        elif ! xdpyinfo >/dev/null 2>&1; then
            echo "the X server (pid $XVFB_PID) runs but does not answer on $DISPLAY"
        fi
    fi
    if [[ -s $E2E_DIR/game.log ]]; then
        echo "game output:"
        tail -n 20 "$E2E_DIR/game.log"
    fi
    exit 1
}

# Starts Xvfb on the first free display in :50-:69 and waits until it answers.
# The lock file must name our server, so a display taken by someone else at
# the same moment is never used. -noreset: otherwise the server resets when
# the probing xdpyinfo disconnects, and the game connecting during the reset
# is refused.
e2e_start_xvfb() {
    local n
    for n in $(seq 50 69); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >"$E2E_DIR/xvfb.log" 2>&1 &
        XVFB_PID=$!
        for _ in $(seq 100); do
            kill -0 "$XVFB_PID" 2>/dev/null || break
            if [[ $(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock") == "$XVFB_PID" ]] &&
                xdpyinfo -display ":$n" >/dev/null 2>&1; then
                export DISPLAY=":$n"
                e2e_log "Xvfb on $DISPLAY"
                return 0
            fi
            sleep 0.1
        done
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
        XVFB_PID=""
    done
    e2e_fail "no free X display in :50-:69 (or Xvfb did not start; see $E2E_DIR/xvfb.log)"
}

# Starts the copied game in the background. Its working directory holds no
# word list unless the test puts one there: the game must read the list
# beside its executable.
e2e_start_game() {
    (
        cd "$E2E_DIR/cwd" || exit 99
        unset WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR \
            QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE
        export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$E2E_DIR/runtime"
        exec "$E2E_DIR/game/skyquill"
    ) >"$E2E_DIR/game.log" 2>&1 &
    GAME_PID=$!
    e2e_log "game started, pid $GAME_PID"
}

# Polls a command until it succeeds: e2e_wait_until <seconds> <what> <command...>
e2e_wait_until() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    while true; do
        "$@" && return 0
        ((SECONDS >= deadline)) && e2e_fail "timed out after ${seconds}s waiting for: $what"
        sleep 0.05
    done
}

# Sets WIN to the first visible top-level window whose name matches the
# regular expression; returns 1 when there is none.
e2e_find_window() {
    WIN=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [[ -n $WIN ]]
}

e2e_no_window() { ! e2e_find_window "$1"; }

# Waits for a visible window with exactly this title and sets WIN. (xdotool
# matches names as case-blind regular expressions, hence the second check.)
e2e_wait_window() {
    local title=$1 seconds=${2:-10} name regex
    regex="^$(printf '%s' "$title" | sed 's/[][\.*^$+?(){}|]/\\&/g')\$"
    e2e_wait_until "$seconds" "a window titled '$title'" e2e_find_window "$regex"
    name=$(xdotool getwindowname "$WIN")
    [[ $name == "$title" ]] || e2e_fail "window $WIN is titled '$name', not '$title'"
}

e2e_game_alive() {
    kill -0 "$GAME_PID" 2>/dev/null && [[ $(e2e_proc_state "$GAME_PID") != Z ]]
}

# Waits for the game to end and sets GAME_STATUS to its exit status.
e2e_wait_exit() {
    local seconds=${1:-10}
    local deadline=$((SECONDS + seconds))
    while e2e_game_alive; do
        ((SECONDS >= deadline)) && e2e_fail "the game still runs ${seconds}s later"
        sleep 0.05
    done
    wait "$GAME_PID"
    GAME_STATUS=$?
    GAME_PID=""
    e2e_log "game ended with status $GAME_STATUS"
}

# Gives a window the keyboard focus. There is no window manager, so nothing
# else would: not at start, nor after a message box closes.
e2e_focus() {
    local id=$1
    timeout 10 xdotool windowfocus --sync "$id" || e2e_fail "could not focus window $id"
    [[ $(xdotool getwindowfocus) == "$id" ]] || e2e_fail "window $id did not take the focus"
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

# Screenshots a window (the main one by default) into the scratch directory
# and sets SHOT to the file. Shots are numbered in order; repeated shots of
# one poll overwrite each other, so the last one is what the check saw.
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

# Prints "x y r g b" for every pixel of a client-area rectangle, in client
# coordinates.
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

# COUNT = pixels of a colour class in a rectangle.
e2e_count() {
    local shot=$1 x=$2 y=$3 w=$4 h=$5 class=$6
    COUNT=$(e2e_pixels "$shot" "$x" "$y" "$w" "$h" |
        awk -v c="$class" "$E2E_CLASSES"' is(c, $3, $4, $5) { n++ } END { print n + 0 }') ||
        e2e_fail "could not read pixels of $shot"
}

# TOP = topmost row holding the colour class in a rectangle, -1 if none.
e2e_top() {
    local shot=$1 x=$2 y=$3 w=$4 h=$5 class=$6
    TOP=$(e2e_pixels "$shot" "$x" "$y" "$w" "$h" |
        awk -v c="$class" "$E2E_CLASSES"'
            is(c, $3, $4, $5) && (t == "" || $2 < t) { t = $2 }
            END { print (t == "" ? -1 : t) }') || e2e_fail "could not read pixels of $shot"
}

# SPAN = columns from the leftmost to the rightmost pixel of the class, 0 if none.
e2e_span() {
    local shot=$1 x=$2 y=$3 w=$4 h=$5 class=$6
    SPAN=$(e2e_pixels "$shot" "$x" "$y" "$w" "$h" |
        awk -v c="$class" "$E2E_CLASSES"'
            is(c, $3, $4, $5) { if (l == "" || $1 < l) l = $1; if (r == "" || $1 > r) r = $1 }
            END { print (l == "" ? 0 : r - l + 1) }') || e2e_fail "could not read pixels of $shot"
}

# HASH = digest of a rectangle's pixels, to compare two screenshots.
e2e_hash() {
    local shot=$1 x=$2 y=$3 w=$4 h=$5
    HASH=$(/usr/bin/convert "$shot" -crop "${w}x${h}+${x}+$((y + ${MENU_H:-0}))" +repage -depth 8 rgb:- |
        md5sum | cut -c1-32) || e2e_fail "could not read pixels of $shot"
}

# PIXEL = "r g b" of one client-area pixel.
e2e_pixel() {
    PIXEL=$(e2e_pixels "$1" "$2" "$3" 1 1 | awk '{ print $3, $4, $5 }')
    [[ -n $PIXEL ]] || e2e_fail "could not read pixel ($2,$3) of $1"
}

# Fails unless the client-area pixel belongs to the colour class.
e2e_expect_pixel() {
    local shot=$1 x=$2 y=$3 class=$4 what=$5
    e2e_count "$shot" "$x" "$y" 1 1 "$class"
    if ((COUNT != 1)); then
        e2e_pixel "$shot" "$x" "$y"
        e2e_fail "$what: pixel ($x,$y) is rgb($PIXEL), not $class"
    fi
}

# The menu bar is drawn by Qt inside the same X window as the field (Qt's
# widgets are not X child windows, so xwininfo can't tell them apart). The
# client area starts at the first black row down column 3 of the window,
# left of every label; the menu bar above it is light. Waiting for that also
# waits for the first paint.
e2e_measure_menu() {
    local col
    e2e_shot measure-menu
    col=$(/usr/bin/convert "$SHOT" -crop "1x80+3+0" +repage -depth 8 txt:- |
        awk "$E2E_CLASSES"'
            /^#/ { next }
            { sub(/#.*/, ""); gsub(/[^0-9]+/, " "); $0 = $0
              printf "%s", is("black", $3, $4, $5) ? "B" : (is("light", $3, $4, $5) ? "L" : "x") }')
    # Light rows, then at least 40 black rows.
    [[ $col =~ ^(L[Lx]*)B{40} ]] || return 1
    MENU_H=${#BASH_REMATCH[1]}
}

# Waits for the main window, its first paint and the menu bar height, and
# sets MAIN_WIN and MENU_H.
e2e_wait_main_window() {
    e2e_wait_window " Tamsley's Skyquill Game" 15
    MAIN_WIN=$WIN
    e2e_wait_until 10 "the idle window to be painted" e2e_measure_menu
    e2e_log "main window $MAIN_WIN, menu bar $MENU_H px"
}

# Field predicates on a fresh screenshot, for e2e_wait_until.
e2e_field_yellow() {
    e2e_shot "${1:-poll}"
    e2e_count "$SHOT" 0 0 "$E2E_FIELD_W" "$E2E_ABOVE_GROUND" yellow
    ((COUNT > 0))
}

# A word is falling with its top row at most this low: high enough that it
# can't land while the test types. A word too low is left to land; the next
# one starts high again.
e2e_word_above() {
    e2e_shot "${2:-poll}"
    e2e_top "$SHOT" 0 0 "$E2E_FIELD_W" "$E2E_ABOVE_GROUND" yellow
    ((TOP >= 0 && TOP <= $1))
}

# COUNT of red pixels in the pause banner's box.
e2e_banner_red() {
    e2e_count "$1" "${E2E_BANNER[@]}" red
}

e2e_paused_on_screen() {
    e2e_shot "${1:-poll}"
    e2e_count "$SHOT" 0 0 "$E2E_FIELD_W" "$E2E_ABOVE_GROUND" yellow
    ((COUNT == 0)) || return 1
    e2e_banner_red "$SHOT"
    ((COUNT > 100))
}

e2e_running_on_screen() {
    e2e_shot "${1:-poll}"
    e2e_count "$SHOT" 0 0 "$E2E_FIELD_W" "$E2E_ABOVE_GROUND" yellow
    ((COUNT > 0)) || return 1
    e2e_banner_red "$SHOT"
    ((COUNT == 0))
}

# Two screenshots ~300 ms apart: the word's top row must be lower in the
# second. A word low in the field could land (at row ~487) and restart
# between them, so the pair is only judged when the first top row leaves
# room for well over a second of the fastest fall.
e2e_expect_word_falls() {
    local first
    for _ in $(seq 20); do
        e2e_shot falls-a
        e2e_top "$SHOT" 0 0 "$E2E_FIELD_W" "$E2E_ABOVE_GROUND" yellow
        first=$TOP
        ((first < 0)) && e2e_fail "no yellow word in the field"
        if ((first > 300)); then
            sleep 0.3
            continue
        fi
        sleep 0.3
        e2e_shot falls-b
        e2e_top "$SHOT" 0 0 "$E2E_FIELD_W" "$E2E_ABOVE_GROUND" yellow
        ((TOP > first)) || e2e_fail "the word did not fall: top row $first, then $TOP 300 ms later"
        e2e_log "word top row $first, then $TOP"
        return 0
    done
    e2e_fail "the word never showed above row 300"
}
