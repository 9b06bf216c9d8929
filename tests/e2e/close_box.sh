# The close box in a running game ends the program with status 0. Without a
# window manager the request a window manager would send (WM_DELETE_WINDOW)
# comes from a small helper.
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$1" "$2"
close_request=${3:-}
if [[ -z $close_request ]]; then
    echo "SKIP: built without Xlib, so no close request can be sent"
    exit 77
fi
e2e_play e2e_field_yellow started

"$close_request" "$MAIN_WIN" || e2e_fail "the close request was not sent (status $?)"
e2e_wait_exit 5
((GAME_STATUS == 0)) || e2e_fail "closing the window ended the game with status $GAME_STATUS"
echo PASS
