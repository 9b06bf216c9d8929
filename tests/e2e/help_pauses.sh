# Help → Rules (Ctrl+R) and Help → About (Ctrl+A) in a running game: the box
# opens, the game is paused behind it, and after OK it stays paused until the
# player resumes it.
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$1" "$2"
e2e_install_game quill
e2e_start_xvfb
e2e_start_game
e2e_wait_main_window
e2e_focus "$MAIN_WIN"

e2e_key ctrl+n
e2e_wait_until 5 "a yellow word after New Game" e2e_running_on_screen started

for case in "ctrl+r:Rules of Skyquill" "ctrl+a:About Skyquill"; do
    key=${case%%:*}
    title=${case#*:}
    e2e_key "$key"
    e2e_wait_window "$title" 5
    box=$WIN
    e2e_wait_until 5 "the pause banner behind '$title'" e2e_paused_on_screen "behind-$key"

    e2e_dismiss_box "$box"
    e2e_focus "$MAIN_WIN"
    e2e_wait_until 5 "the pause banner after '$title'" e2e_paused_on_screen "after-$key"
    e2e_hash "$SHOT" 0 0 "$E2E_FIELD_W" "$E2E_ABOVE_GROUND"
    paused_field=$HASH
    sleep 1
    e2e_paused_on_screen "a-second-after-$key" || e2e_fail "the game did not stay paused after '$title'"
    e2e_hash "$SHOT" 0 0 "$E2E_FIELD_W" "$E2E_ABOVE_GROUND"
    [[ $HASH == "$paused_field" ]] || e2e_fail "the paused field changed after '$title'"

    # Esc in the entry box, which has the focus again, resumes.
    e2e_key Escape
    e2e_wait_until 5 "the word back after Esc" e2e_running_on_screen "resumed-after-$key"
    e2e_expect_word_falls
done

e2e_game_alive || e2e_fail "the game ended"
echo PASS
