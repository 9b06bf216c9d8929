# shellcheck shell=bash
# A private Xvfb display for the monkey test and the leak check (sourced).
# Displays :70-:79 are ours; the end-to-end suite keeps to :50-:69.

XVFB_PID=""

# Starts Xvfb on the first free display in :70-:79 and waits until it
# answers. The lock file must name our server, so a display another run took
# at the same moment is never used. -noreset keeps the server up when the
# probing client disconnects.
x_start() {
    local log=$1 n i
    for n in $(seq 70 79); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >"$log" 2>&1 &
        XVFB_PID=$!
        for i in $(seq 100); do
            kill -0 "$XVFB_PID" 2>/dev/null || break
            if [[ $(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock") == "$XVFB_PID" ]] &&
                xdpyinfo -display ":$n" >/dev/null 2>&1; then
                export DISPLAY=":$n"
                return 0
            fi
            sleep 0.1
        done
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
        XVFB_PID=""
    done
    echo "no free X display in :70-:79 (or Xvfb did not start; see $log)" >&2
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
