#!/usr/bin/env bash
# Makes the README's picture of the game, docs/skyquill.png, from the real
# window under Xvfb and openbox: a few words typed, so the score shows, and
# a word falling high in the field with its first letters typed.
#   tools/screenshot.sh [the game, build/release/skyquill by default] [the PNG]
# Needs what the real-window suite needs, and pngquant (scripts/deps.sh).
set -euo pipefail
if [[ -z ${SHOT_XVFB:-} ]]; then
    SHOT_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash "$0" "$@"
fi
root=$(cd "$(dirname "$0")/.." && pwd)
game=$(realpath "${1:-$root/build/release/skyquill}") png=$(realpath -m "${2:-$root/docs/skyquill.png}")
dir=$(mktemp -d) && trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$dir"' EXIT
mkdir -m 700 "$dir/runtime"
export DBUS_SESSION_BUS_ADDRESS=disabled: QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$dir/runtime XDG_DATA_HOME=$dir
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE

# One word, so the script always knows which falls.
printf 'skyquill\n' >"$dir/words.txt"
HOME=$dir openbox --startup "touch $dir/ready" >/dev/null 2>&1 &
until [[ -e $dir/ready ]]; do sleep 0.05; done
(cd "$dir" && exec "$game" "$dir/words.txt") >/dev/null 2>&1 &
until win=$(xdotool search --onlyvisible --name "Skyquill Game" | head -n 1) && [[ -n $win ]]; do sleep 0.05; done
xdotool windowactivate --sync "$win"
sleep 0.5

# A word in the top <rows> of the 290x565 field at the bottom of the window.
falls() {
    import -window "$win" "$dir/shot.png"
    (($(convert "$dir/shot.png" -gravity SouthWest -crop 290x565+0+0 +repage -gravity NorthWest -crop "290x$1+0+0" \
        -fuzz 25% -fill white -opaque yellow -fill black +opaque white -format '%[fx:round(mean*w*h)]' info:) > 20))
}
falling() { until falls "$1"; do sleep 0.02; done; }

# Three points at least, then the first word to fall high, its first letters typed.
xdotool key ctrl+n
for ((score = 0; ; ++score)); do
    falling 450  # anywhere above the ground line: one left to land would cost a point
    ((score >= 3)) && falls 200 && break
    xdotool type --delay 10 skyquill
    sleep 0.3
done
xdotool type --delay 10 sky
sleep 0.2
import -frame -window "$win" "$dir/frame.png"
pngquant --force --speed 1 --output "$png" 32 "$dir/frame.png"
echo "$png: $(stat -c %s "$png") bytes"
