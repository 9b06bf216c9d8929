# A whole game with a one-word list: New Game starts a yellow word falling and
# readies the entry box; typing the word ten times scores 1 to 10, each score
# a new picture in the score box; the tenth point brings the winner's box, and
# after OK nothing falls and the score stays.
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$1" "$2"
e2e_open

# A spot inside the entry box, left of any centred text.
entry_spot=(14 536)
e2e_shot idle
e2e_pixel "$SHOT" "${entry_spot[@]}"
disabled_colour=$PIXEL
e2e_hash "$SHOT" "${E2E_SCORE[@]}"
score_images=("$HASH")
e2e_span "$SHOT" "${E2E_SCORE[@]}" dark
one_digit_width=$SPAN

e2e_new_game e2e_field_yellow started
e2e_expect_count "$SHOT" 0 0 16 "$E2E_ABOVE_GROUND" yellow == 0 "left of the word's column (x < 16)"
e2e_expect_count "$SHOT" 272 0 18 "$E2E_ABOVE_GROUND" yellow == 0 "right of the word's column (x >= 272)"
e2e_pixel "$SHOT" "${entry_spot[@]}"
[[ $PIXEL != "$disabled_colour" ]] ||
    e2e_fail "the entry box still looks disabled (rgb $PIXEL) in a running game"
e2e_expect_count "$SHOT" "${E2E_BANNER[@]}" red == 0 "the pause banner in a running game"

e2e_expect_word_falls

score_changed() {
    e2e_shot "score-$1"
    e2e_hash "$SHOT" "${E2E_SCORE[@]}"
    [[ $HASH != "${score_images[-1]}" ]]
}

for point in $(seq 1 10); do
    # A word is falling, high enough to be typed before it lands.
    e2e_wait_until 15 "a yellow word high in the field before point $point" e2e_word_above 300 "word-$point"
    e2e_type quill
    if ((point < 10)); then
        e2e_wait_until 5 "the score box to change for point $point" score_changed "$point"
        e2e_find_window '^Congratulations!$' && e2e_fail "the winner's box came at point $point"
    else
        e2e_wait_window "Congratulations!" 5
        winner_box=$WIN
        e2e_wait_until 5 "the score box to change for point $point" score_changed "$point"
    fi
    # Every score looks new: a landed word taking a point back would repeat
    # an earlier picture.
    for seen in "${score_images[@]}"; do
        [[ $HASH != "$seen" ]] || e2e_fail "point $point: the score box shows an earlier score again"
    done
    score_images+=("$HASH")
    e2e_log "point $point scored"
done
win_score=$HASH
e2e_span "$SHOT" "${E2E_SCORE[@]}" dark
((SPAN > one_digit_width + 4)) ||
    e2e_fail "the score is $SPAN px wide at 10, hardly wider than one digit ($one_digit_width px)"

# The winner's box waits for OK, and nothing falls behind it.
sleep 0.5
e2e_find_window '^Congratulations!$' || e2e_fail "the winner's box went away by itself"
e2e_dismiss_box "$winner_box"
e2e_focus "$MAIN_WIN"

e2e_shot after-win
after=$SHOT
e2e_expect_count "$after" "${E2E_SKY[@]}" yellow == 0 "the field after the win"
e2e_hash "$after" "${E2E_SCORE[@]}"
[[ $HASH == "$win_score" ]] || e2e_fail "the score box changed after the win"
e2e_pixel "$after" "${entry_spot[@]}"
[[ $PIXEL == "$disabled_colour" ]] ||
    e2e_fail "the entry box looks rgb($PIXEL) after the win, not disabled rgb($disabled_colour)"

# The game is over: nothing starts falling, and typing goes nowhere.
e2e_type quill
sleep 1
e2e_shot still-over
e2e_expect_count "$SHOT" "${E2E_SKY[@]}" yellow == 0 "the field a second after the win"
e2e_hash "$SHOT" "${E2E_SCORE[@]}"
[[ $HASH == "$win_score" ]] || e2e_fail "the score box changed a second after the win"
e2e_span "$SHOT" "${E2E_ENTRY_INSIDE[@]}" dark
((SPAN <= 2)) || e2e_fail "the disabled entry box took text ($SPAN px wide)"

e2e_game_alive || e2e_fail "the game ended after the win"
echo PASS
