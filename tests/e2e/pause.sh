# Pausing a running game from the entry box (Esc) and from the menu shortcut
# (Ctrl+P): the word hides behind a red "Game Paused" banner and stops; on
# resuming the banner goes, the word shows again and falls on.
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

for key in Escape ctrl+p; do
    e2e_key "$key"
    e2e_wait_until 5 "the pause banner after $key" e2e_paused_on_screen "paused-by-$key"
    e2e_hash "$SHOT" 0 0 "$E2E_FIELD_W" "$E2E_ABOVE_GROUND"
    paused_field=$HASH
    # Letters typed while paused go nowhere.
    e2e_type q
    sleep 0.7
    e2e_shot "still-paused-$key"
    e2e_hash "$SHOT" 0 0 "$E2E_FIELD_W" "$E2E_ABOVE_GROUND"
    [[ $HASH == "$paused_field" ]] || e2e_fail "the field changed while paused by $key"
    e2e_span "$SHOT" "${E2E_ENTRY_INSIDE[@]}" dark
    ((SPAN <= 2)) || e2e_fail "a letter typed while paused reached the entry box ($SPAN px wide)"

    e2e_key "$key"
    e2e_wait_until 5 "the word back after $key again" e2e_running_on_screen "resumed-by-$key"
    e2e_expect_word_falls
done

e2e_game_alive || e2e_fail "the game ended"
echo PASS
