# Ending the program from the keyboard and from the menu. Ctrl+X is typed
# into the entry box while it holds text, where a line edit would take it as
# Cut; before that the box shows what the player typed: upper-cased, with a
# letter that doesn't continue the word dropped. File → Exit is clicked with
# the mouse in a second run. Both end with status 0.
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$1" "$2"

entry_width() {
    e2e_shot "entry-$1"
    e2e_span "$SHOT" "${E2E_ENTRY_INSIDE[@]}" dark
    ((SPAN > $2))
}

e2e_play e2e_word_above 200 started

# The text cursor alone is at most 2 px wide; a letter is 13 to 15.
e2e_type q
e2e_wait_until 5 "the first letter in the entry box" entry_width q 6
q_width=$SPAN
e2e_type xu
e2e_wait_until 5 "a second letter in the entry box" entry_width qu $((q_width + 4))
qu_width=$SPAN
((qu_width - q_width <= 21)) ||
    e2e_fail "'x' stayed in the entry box: the text grew from $q_width to $qu_width px for 'xu'"
e2e_type il
e2e_wait_until 5 "four letters in the entry box" entry_width quil $((qu_width + 4))
quil_width=$SPAN
# The entry box and the word share one font, so "QUIL" takes about 80% of
# the width of the yellow "QUILL"; lower-case "quil" would take under 60%.
e2e_span "$SHOT" "${E2E_SKY[@]}" yellow
word_width=$SPAN
((word_width > 0)) || e2e_fail "the word landed while the test typed"
((quil_width * 100 >= word_width * 70)) ||
    e2e_fail "the typed 'quil' ($quil_width px) is not upper case next to the word ($word_width px)"
e2e_log "entry text widths: Q $q_width, QU $qu_width, QUIL $quil_width; word $word_width"

e2e_key ctrl+x
e2e_wait_exit 5
((GAME_STATUS == 0)) || e2e_fail "Ctrl+X ended the game with status $GAME_STATUS"

# File → Exit with the mouse, in a running game.
e2e_launch
e2e_new_game e2e_field_yellow started-2
eval "$(xdotool getwindowgeometry --shell "$MAIN_WIN")"
timeout 10 xdotool mousemove --sync $((X + 20)) $((Y + MENU_H / 2)) click 1 || e2e_fail "clicking File failed"

# The open menu is an override-redirect window named after the application.
popup_geometry() {
    POPUP=$(xwininfo -root -children | awk '$1 ~ /^0x/ && /"Skyquill": \(/ { print $1 }' |
        while read -r id; do
            xwininfo -id "$id" | grep -q 'Map State: IsViewable' &&
                xwininfo -id "$id" | grep -q 'Override Redirect State: yes' && echo "$id"
        done | head -n 1)
    [[ -n $POPUP ]] || return 1
    eval "$(xdotool getwindowgeometry --shell "$POPUP")"
}
e2e_wait_until 5 "the File menu to open" popup_geometry
e2e_shot file-menu "$POPUP"
# Exit is the menu's last item.
timeout 10 xdotool mousemove --sync $((X + 30)) $((Y + HEIGHT - 12)) click 1 || e2e_fail "clicking Exit failed"
e2e_wait_exit 5
((GAME_STATUS == 0)) || e2e_fail "File → Exit ended the game with status $GAME_STATUS"
echo PASS
