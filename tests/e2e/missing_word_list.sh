# Without a word list beside the executable the game only says so, never
# shows its window, and exits with status 1 once the player clicks OK. The
# working directory holds a list, which the game must not take instead.
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$1" "$2"
printf 'quill\n' >"$E2E_DIR/cwd/SkyquillList.txt"
e2e_start_xvfb

# xev records every window mapped on the screen, so a main window shown for
# a moment anywhere in the run is seen too. A root property change proves
# it listens before the game starts.
xev -root -event substructure -event property >"$E2E_DIR/xev.log" 2>&1 &
E2E_HELPER_PIDS+=($!)
xev_listens() {
    xprop -root -f _E2E_PROBE 8s -set _E2E_PROBE ready
    grep -q PropertyNotify "$E2E_DIR/xev.log"
}
e2e_wait_until 5 "xev to listen" xev_listens

e2e_start_game
e2e_wait_window "ERROR!!!" 15
box=$WIN
box_has_text() {
    e2e_shot error-box "$box"
    e2e_count "$SHOT" 0 0 60 30 dark
    ((COUNT > 30))
}
e2e_wait_until 5 "text in the error box" box_has_text

# The box waits for the player.
sleep 1
e2e_game_alive || e2e_fail "the game ended before OK was pressed"
e2e_find_window '^ERROR!!!$' || e2e_fail "the error box went away by itself"
e2e_find_window 'Skyquill Game' && e2e_fail "the main window is shown along with the error box"

e2e_dismiss_box "$box"
e2e_wait_exit 10
((GAME_STATUS == 1)) || e2e_fail "exit status $GAME_STATUS after OK, not 1"

# The error box was the only window ever mapped.
mapped=$(awk '/^MapNotify/ { getline; if (match($0, /window 0x[0-9a-f]+/)) print substr($0, RSTART + 7, RLENGTH - 7) }' \
    "$E2E_DIR/xev.log" | sort -u | tr '\n' ' ')
[[ $mapped == "$(printf '0x%x' "$box") " ]] ||
    e2e_fail "windows mapped during the run: ${mapped:-none}; expected only the error box $(printf '0x%x' "$box")"
echo PASS
