# Help → Rules (Ctrl+R) and Help → About (Ctrl+A) in a running game: the box
# opens, the game is paused behind it, and after OK it stays paused until the
# player resumes it.
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$1" "$2"
e2e_play e2e_running_on_screen started

for case in "ctrl+r:Rules of Skyquill" "ctrl+a:About Skyquill"; do
    key=${case%%:*}
    title=${case#*:}
    e2e_key "$key"
    e2e_wait_window "$title" 5
    box=$WIN
    e2e_wait_until 5 "the pause banner behind '$title'" e2e_paused_on_screen "behind-$key"

    e2e_dismiss_box "$box"
    e2e_focus "$MAIN_WIN"
    e2e_expect_paused "after-$key" 1
    # Esc in the entry box, which has the focus again, resumes.
    e2e_expect_resumed Escape "after-$key"
done

e2e_game_alive || e2e_fail "the game ended"
echo PASS
