# Pausing a running game from the entry box (Esc) and from the menu shortcut
# (Ctrl+P): the word hides behind a red "Game Paused" banner and stops; on
# resuming the banner goes, the word shows again and falls on.
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$1" "$2"
e2e_play e2e_running_on_screen started

for key in Escape ctrl+p; do
    e2e_key "$key"
    # Letters typed while paused go nowhere.
    e2e_expect_paused "paused-by-$key" 0.7 e2e_type q
    e2e_span "$SHOT" "${E2E_ENTRY_INSIDE[@]}" dark
    ((SPAN <= 2)) || e2e_fail "a letter typed while paused reached the entry box ($SPAN px wide)"
    e2e_expect_resumed "$key" "by-$key"
done

e2e_game_alive || e2e_fail "the game ended"
echo PASS
