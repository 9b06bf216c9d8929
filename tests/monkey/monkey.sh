#!/usr/bin/env bash
# Monkey test: the real game in a real window under Xvfb takes MONKEY_SECONDS
# (default 60) of random input: keys (Latin with accents, Greek, Cyrillic,
# Backspace, Esc, Delete, arrows), Ctrl shortcuts (never Ctrl+X, which quits),
# pastes through the clipboard, and clicks in the window below the menu bar
# (the menus hold Exit). Message boxes that pop up (Rules, About, the win) are
# closed by title with Return.
#
# Passes when, at the end, the game is still running and answering (its title
# reads back, and Ctrl+N still changes the screen) and its resident memory is
# no more than 2 MB above what it was after the first 10 seconds.
#
# Usage: monkey.sh path/to/skyquill
set -uo pipefail

game=${1:?usage: monkey.sh path/to/skyquill}
seconds=${MONKEY_SECONDS:-60}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../support/xvfb.sh
source "$here/../support/xvfb.sh"

for tool in Xvfb xdotool xclip xdpyinfo import md5sum; do
    command -v "$tool" >/dev/null || { echo "monkey: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/skyquill-monkey.XXXXXX")
GAME_PID=""
cleanup() {
    [[ -n $GAME_PID ]] && kill "$GAME_PID" 2>/dev/null && wait "$GAME_PID" 2>/dev/null
    x_stop
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "monkey: FAIL: $*" >&2
    [[ -s $work/game.log ]] && { echo "game output:" >&2; tail -n 20 "$work/game.log" >&2; }
    exit 1
}

# Few words, so that typing or pasting a random one often scores and a game
# can be won; every script the list reader has to handle in UTF-8.
words=(café naïve Straße λόγος θάλασσα слово ёлка жизнь)
x_install_game "$game" "$work" || fail "could not copy the game to $work"
printf '%s\n' "${words[@]}" >"$work/game/SkyquillList.txt"

x_start "$work/xvfb.log" 70 79 || exit 1
x_run_game "$work"

title=" Tamsley's Skyquill Game"
win=$(x_wait_window "$title" 30) || fail "the game window did not appear"
xdotool windowfocus --sync "$win" || fail "could not focus the game window"
read -r width height < <(xdotool getwindowgeometry --shell "$win" | awk -F= '/WIDTH|HEIGHT/ {printf "%s ", $2}')

rss() { awk '/^VmRSS:/ {print $2}' "/proc/$GAME_PID/status" 2>/dev/null; }
alive() { kill -0 "$GAME_PID" 2>/dev/null; }

declare -A count=()
declare -A boxes=()
pick() { local -n list=$1; printf '%s' "${list[RANDOM % ${#list[@]}]}"; }

# The lists are read through pick's nameref, which shellcheck does not follow.
# shellcheck disable=SC2034
letters=(a b c e f i l n o r s t v z é è ï ç ß ö ñ λ ό γ ο ς θ ά σ α с л о в ё к а ж и з н ь Ω Ж)
# shellcheck disable=SC2034
keys=(BackSpace Escape Delete Home End Left Right Tab shift+Tab Return space shift+Home shift+End)
# The Ctrl combinations the window or the entry box knows (and Shift+Insert,
# another paste); never Ctrl+X.
# shellcheck disable=SC2034
shortcuts=(ctrl+n ctrl+p ctrl+r ctrl+a ctrl+z ctrl+y ctrl+shift+z ctrl+c ctrl+v ctrl+Left ctrl+Right
    ctrl+BackSpace ctrl+Delete ctrl+k ctrl+u ctrl+e ctrl+h ctrl+Home ctrl+End ctrl+Insert shift+Insert)

# Closes every message box on show, by title; Return presses its OK button.
# Then gives the focus back to the game window, which has no window manager
# to do it.
close_boxes() {
    local name id closed=0
    for name in "Rules of Skyquill" "About Skyquill" "Congratulations!" "ERROR!!!"; do
        for id in $(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null); do
            xdotool windowfocus --sync "$id" key Return 2>/dev/null || continue
            boxes[$name]=$((${boxes[$name]:-0} + 1))
            closed=1
        done
    done
    if ((closed)); then
        sleep 0.05
        xdotool windowfocus --sync "$win" 2>/dev/null
    fi
}

random_text() {
    case $((RANDOM % 5)) in
    0) pick words ;;
    1) pick words | tr '[:lower:]' '[:upper:]' ;;
    2) local w; w=$(pick words); printf '%s' "${w:0:$((RANDOM % ${#w} + 1))}" ;;
    3) local s="" i; for ((i = RANDOM % 12; i >= 0; i--)); do s+=$(pick letters); done; printf '%s' "$s" ;;
    *) printf '%s%s\t%s' "$(pick words)" "$(pick letters)" "$(pick words)" ;;
    esac
}

paste() {
    printf '%s' "$1" | xclip -selection clipboard -i 2>/dev/null
    xdotool key ctrl+v
}

click() {
    # Below the menu bar: the field, the entry box, the score.
    xdotool mousemove --window "$win" $((RANDOM % width)) $((30 + RANDOM % (height - 30))) \
        click --repeat $((1 + RANDOM % 2)) 1
}

event() {
    local r=$((RANDOM % 100)) kind
    if ((r < 24)); then
        kind=key; xdotool type --delay 0 "$(pick letters)"
    elif ((r < 32)); then
        kind=word; xdotool type --delay 5 "$(pick words)"
    elif ((r < 40)); then
        # Every word in turn: whichever is falling gets finished, so games
        # are won and the win box comes up.
        kind=words; xdotool type --delay 5 "$(printf '%s' "${words[@]}")"
    elif ((r < 52)); then
        kind=edit; xdotool key "$(pick keys)"
    elif ((r < 64)); then
        kind=ctrl; xdotool key "$(pick shortcuts)"
    elif ((r < 82)); then
        kind="paste"; paste "$(random_text)"
    else
        kind=click; click
    fi
    count[$kind]=$((${count[$kind]:-0} + 1))
}

# A picture of the window above the entry box: the falling word and the pause
# banner, without the entry box's blinking caret.
shot() { import -window "$win" -crop "${width}x$((height - 90))+0+0" rgb:- 2>/dev/null | md5sum | cut -d' ' -f1; }

# Warm-up: each kind of event once, so that one-time set-up (the first
# message box alone loads about 2 MB of dialog machinery) is done before the
# memory baseline is taken.
start=$SECONDS
xdotool key ctrl+n
xdotool type --delay 5 "cé λό жи"
paste "θάλασσα"
click
xdotool key ctrl+r
sleep 0.3
close_boxes
xdotool key ctrl+a
sleep 0.3
close_boxes
xdotool key Escape Escape BackSpace
events=9
count[warm-up]=$events
rss10=""
while ((SECONDS - start < seconds)); do
    alive || fail "the game ended after $events events"
    event
    events=$((events + 1))
    close_boxes
    if [[ -z $rss10 ]] && ((SECONDS - start >= 10)); then
        rss10=$(rss)
    fi
done

alive || fail "the game ended after $events events"
close_boxes
sleep 1
close_boxes
rssEnd=$(rss)
[[ -n $rss10 ]] || rss10=$rssEnd

# Still answering: the title reads back, and Ctrl+N (from a paused, still
# screen) brings the word back and takes the pause banner away.
[[ $(xdotool getwindowname "$win") == "$title" ]] || fail "the window title does not read back"
xdotool windowfocus --sync "$win" || fail "the window cannot take the focus any more"
xdotool key ctrl+n
sleep 0.3
xdotool key ctrl+p
sleep 0.5
paused1=$(shot)
sleep 0.5
paused2=$(shot)
xdotool key ctrl+n
sleep 0.5
running=$(shot)
alive || fail "the game ended during the final checks"

summary=""
for k in warm-up key word words edit ctrl paste click; do summary+=" $k=${count[$k]:-0}"; done
boxSummary=""
for k in "${!boxes[@]}"; do boxSummary+=" \"$k\"=${boxes[$k]}"; done
echo "monkey: $events events in $((SECONDS - start)) s on $DISPLAY:$summary"
echo "monkey: message boxes closed:${boxSummary:- none}"
echo "monkey: VmRSS after 10 s ${rss10} kB, at the end ${rssEnd} kB, growth $((rssEnd - rss10)) kB (limit 2048 kB)"

[[ -n $paused1 && $paused1 == "$paused2" ]] || fail "the paused screen is not still (or could not be captured)"
[[ $running != "$paused1" ]] || fail "Ctrl+N did not change the screen"
((rssEnd - rss10 <= 2048)) || fail "resident memory grew by $((rssEnd - rss10)) kB"
echo "monkey: passed"
