# The window before any game: its title and size, the field's fixed parts
# where the player sees them, and that nothing falls or moves.
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$1" "$2"
e2e_open

name=$(xdotool getwindowname "$MAIN_WIN")
[[ $name == " Tamsley's Skyquill Game" ]] || e2e_fail "window title is '$name'"

eval "$(xdotool getwindowgeometry --shell "$MAIN_WIN")"
((WIDTH == E2E_FIELD_W)) || e2e_fail "window is $WIDTH px wide, not $E2E_FIELD_W"
((HEIGHT - MENU_H == E2E_FIELD_H)) ||
    e2e_fail "client area is $((HEIGHT - MENU_H)) px high below a $MENU_H px menu bar, not $E2E_FIELD_H"
((MENU_H >= 10 && MENU_H <= 60)) || e2e_fail "menu bar is $MENU_H px high"

e2e_shot idle
idle=$SHOT

# Black field: corners and middle, above the line and between the boxes.
for p in "0 0" "289 0" "145 250" "0 501" "287 501" "4 540" "236 540" "286 540" "145 560"; do
    e2e_expect_pixel "$idle" "${p% *}" "${p#* }" black "field"
done
e2e_expect_count "$idle" "${E2E_SKY[@]}" black == $((E2E_FIELD_W * E2E_ABOVE_GROUND)) "above the ground line"

# Red ground line, 5 px thick, across x 0..287 and no further.
e2e_expect_count "$idle" 0 502 288 5 red == $((288 * 5)) "ground line, rows 502..506, x 0..287"
e2e_expect_count "$idle" 0 501 "$E2E_FIELD_W" 1 red == 0 "row 501, above the ground line"
e2e_expect_count "$idle" 0 507 "$E2E_FIELD_W" 1 red == 0 "row 507, below the ground line"
e2e_expect_count "$idle" 288 502 2 5 red == 0 "right of the ground line, x 288..289"

# Score box: light green, holding dark digits (the score 0).
e2e_expect_count "$idle" "${E2E_SCORE[@]}" green '>' $((41 * 33 * 3 / 4)) "score box"
e2e_expect_pixel "$idle" 241 521 green "score box top-left"
e2e_expect_pixel "$idle" 280 552 green "score box bottom-right"
e2e_expect_pixel "$idle" 239 536 black "left of the score box"
e2e_expect_pixel "$idle" 281 536 black "right of the score box"
e2e_expect_count "$idle" "${E2E_SCORE[@]}" dark '>' 20 "score digits"

# Entry box: light, neither black nor red, inside its box only.
e2e_expect_count "$idle" "${E2E_ENTRY_INSIDE[@]}" light '>' $((221 * 29 * 9 / 10)) "entry box"
e2e_expect_count "$idle" "${E2E_ENTRY_INSIDE[@]}" red == 0 "entry box"
e2e_expect_pixel "$idle" 7 536 black "left of the entry box"
e2e_expect_pixel "$idle" 233 536 black "right of the entry box"
e2e_expect_pixel "$idle" 120 519 black "above the entry box"
e2e_expect_pixel "$idle" 120 553 black "below the entry box"
# No text in it: nothing dark but, at most, a text cursor column.
e2e_span "$idle" "${E2E_ENTRY_INSIDE[@]}" dark
((SPAN <= 2)) || e2e_fail "entry box holds something $SPAN px wide"

# Nothing falls, no pause banner.
e2e_expect_count "$idle" 0 0 "$E2E_FIELD_W" "$E2E_FIELD_H" yellow == 0 "the idle window"
e2e_expect_count "$idle" "${E2E_BANNER[@]}" red == 0 "the pause banner's box"

# Nothing moves.
e2e_hash "$idle" "${E2E_SKY[@]}"
before=$HASH
sleep 0.5
e2e_shot idle-later
e2e_hash "$SHOT" "${E2E_SKY[@]}"
[[ $HASH == "$before" ]] || e2e_fail "the idle field changed within 0.5 s"

e2e_game_alive || e2e_fail "the game ended by itself"
echo PASS
