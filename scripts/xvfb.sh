# shellcheck shell=bash
# The game on a private Xvfb display (sourced). The end-to-end tests use
# displays :50-:69; the leak check :70-:79.

XVFB_PID=""

# x_start <log> [first last]: starts Xvfb on the first free display in
# :first-:last (default :70-:79) and exports DISPLAY once it answers. The lock
# file must name our server, so a display another run takes at the same
# moment is never used. -noreset keeps the server up when the probing client
# disconnects.
x_start() {
    local log=$1 first=${2:-70} last=${3:-79} n
    for n in $(seq "$first" "$last"); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        # A second screen (:n.1), where the frame must be asked of that
        # screen's own window manager.
        Xvfb ":$n" -screen 0 1024x768x24 -screen 1 800x700x24 -nolisten tcp -noreset >"$log" 2>&1 &
        XVFB_PID=$!
        for _ in $(seq 100); do
            kill -0 "$XVFB_PID" 2>/dev/null || break
            if [[ $(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock") == "$XVFB_PID" ]] &&
                xdpyinfo -display ":$n" >/dev/null 2>&1; then
                export DISPLAY=":$n"
                return 0
            fi
            sleep 0.1
        done
        x_stop
    done
    echo "no free X display in :$first-:$last (or Xvfb did not start; see $log)" >&2
    return 1
}

x_stop() {
    if [[ -n $XVFB_PID ]]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
        XVFB_PID=""
    fi
}

# The game's environment: the xcb platform, nothing that rescales the window,
# and no session bus: without one, Qt's D-Bus client would have libdbus
# autolaunch a bus daemon that outlives the test.
x_game_env() {
    unset WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR \
        QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE
    export QT_QPA_PLATFORM=xcb DBUS_SESSION_BUS_ADDRESS=disabled:
}

# x_install_game <binary> <dir>: copies the game to <dir>/game, beside an
# empty working directory <dir>/cwd and a private <dir>/runtime.
x_install_game() {
    mkdir -p "$2/game" "$2/cwd" "$2/runtime" && chmod 700 "$2/runtime" && cp "$1" "$2/game/skyquill"
}

# x_run_game <dir> [program [argument...]]: runs the installed game (or
# another program that starts it, such as a launcher) in the background from
# <dir>/cwd, which holds no word list unless the test puts one there (the game
# must read the one beside it); its output goes to <dir>/game.log. Its data
# directory is <dir>/data, so a list of the user's own is never read unless
# the test puts one there. Sets GAME_PID.
x_run_game() {
    local dir=$1 program=${2:-$1/game/skyquill}
    shift $(($# < 2 ? $# : 2))
    (
        cd "$dir/cwd" || exit 99
        x_game_env
        export XDG_RUNTIME_DIR="$dir/runtime" XDG_DATA_HOME="$dir/data"
        exec "$program" "$@"
    ) >"$dir/game.log" 2>&1 &
    # shellcheck disable=SC2034  # the caller's
    GAME_PID=$!
}

# Waits up to $2 seconds for a visible window named exactly $1 and prints its id.
x_wait_window() {
    local name=$1 seconds=$2 i id
    for ((i = 0; i < seconds * 10; i++)); do
        id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -n 1)
        if [[ -n $id ]]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Waits up to $2 seconds for the message box titled $1, then presses Return
# in it until it is gone: a box that has only just been mapped may not take
# keys yet, more so under valgrind.
x_close_box() {
    local name=$1 seconds=$2 id i
    id=$(x_wait_window "$name" "$seconds") || return 1
    for ((i = 0; i < seconds * 2; i++)); do
        xdotool windowfocus --sync "$id" key Return 2>/dev/null
        sleep 0.5
        xdotool search --onlyvisible --name "^${name}\$" >/dev/null 2>&1 || return 0
    done
    return 1
}

# x_count <png> <colour> <x y w h>: prints how many pixels of that region of
# the game's black field (290x565, at the bottom of a screenshot of the
# window) are near yellow, red, black or green, and the highest such row.
x_count() {
    local -A rgb=([yellow]=255,255,0 [red]=255,0,0 [black]=0,0,0 [green]=128,255,128)
    local n box
    read -r n box < <(convert "$1" -gravity SouthWest -crop 290x565+0+0 +repage -gravity NorthWest \
        -crop "$5x$6+$3+$4" +repage -fuzz 25% -fill white -opaque "rgb(${rgb[$2]})" -fill black +opaque white \
        -format '%[fx:round(mean*w*h)] %@\n' info: 2>/dev/null) || return 1
    echo "$n" $((n > 0 ? ${box##*+} + $4 : -1))
}

# x_wait_exit <seconds>: waits for the game to end and returns its status
# (124 if it is still running).
x_wait_exit() {
    local i
    for ((i = 0; i < $1 * 10; i++)); do
        kill -0 "$GAME_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$GAME_PID" 2>/dev/null && return 124
    wait "$GAME_PID"
}

# x_within <seconds> <command...>: runs the command until it succeeds, for at
# most that long.
x_within() {
    local end=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < end)) || return 1
        sleep 0.05
    done
}

# x_sky <window> <png> <colour>: a screenshot of the game window into <png>;
# prints how many pixels of the sky (the field above the ground line) are of
# that colour, and the highest of them (x_count).
x_sky() {
    import -window "$1" "$2" && x_count "$2" "$3" 0 0 290 500
}
