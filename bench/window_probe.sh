#!/usr/bin/env bash
# Measures the game's real window against the floor window on a private Xvfb.
# The two are run in alternation, RUNS times each, and the medians printed.
#
# Usage: bench/window_probe.sh GAME_EXECUTABLE FLOOR_EXECUTABLE [MOVE_COUNTER_SO]
# Environment: RUNS (default 5, at least 5), MAP_STARTS (timed starts of each
# program, default 15), WINDOW_SECONDS (CPU windows, default 10),
# SETTLE_SECONDS (idle before memory is read, default 2).
#
# Start-up first: bench/map_time.py starts the floor, the game with one word
# and the game with 10,000 words in turn, MAP_STARTS rounds, and takes
#   map_ms       process start until the X server's MapNotify for its window
#   cpu_ms       the program's CPU time at that moment
# Then per run and program (the game with 10,000 words):
#   rss_kb       VmRSS after SETTLE_SECONDS of idling
#   idle_cpu     % of one core over WINDOW_SECONDS, before any game
#   fall_cpu     % of one core over WINDOW_SECONDS after Ctrl+N
#   paused_esc   (game) % of one core while paused with Esc in the entry box
#   paused_ctrlp (game) % of one core while paused with Ctrl+P
# CPU is utime+stime from /proc/PID/stat (10 ms ticks). Each CPU line also
# gives the precise figure from the threads' schedstat run times, the main
# thread's wakeups per second (voluntary context switches: it shows whether
# the word was really falling or really paused) and the X server's CPU.
# With MOVE_COUNTER_SO (bench/move_counter.cpp) preloaded into both programs
# for the CPU runs, it also gives label moves per second, i.e. drop ticks, and
# the CPU time per tick: the game's words fall at 64 or 32 Hz at random, the
# floor's always at 64 Hz, so per tick is the like-for-like comparison.
# The last lines are "median <program> <figure> <value>" for bench/run.sh.
set -euo pipefail

game_exe=$(realpath "$1")
floor_exe=$(realpath "$2")
counter_so=${3:+$(realpath "$3")}
runs=${RUNS:-5}
map_starts=${MAP_STARTS:-15}
window=${WINDOW_SECONDS:-10}
settle=${SETTLE_SECONDS:-2}
((runs >= 5)) || { echo "RUNS must be at least 5" >&2; exit 2; }
for tool in Xvfb xdotool xdpyinfo /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 2; }
done

work=$(mktemp -d /tmp/skyquill-probe.XXXXXX)
xvfb_pid=
app_pid=
cleanup() {
  if [[ -n $app_pid ]]; then kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; fi
  if [[ -n $xvfb_pid ]]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# A private display in :80-:89, the range kept for benchmarks.
display=
for n in 80 81 82 83 84 85 86 87 88 89; do
  [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    xdpyinfo -display ":$n" >/dev/null 2>&1 && { display=":$n"; break; }
    kill -0 "$xvfb_pid" 2>/dev/null || break  # lost the race for the display
    sleep 0.05
  done
  [[ -n $display ]] && break
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
done
[[ -n $display ]] || { echo "no free display in :80-:89" >&2; exit 1; }
export DISPLAY=$display QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$work/runtime
export XDG_DATA_HOME=$work/data  # so that no list of the user's own is read
mkdir -m 700 "$XDG_RUNTIME_DIR"

# The game reads SkyquillList.txt beside its executable: give a copy of it a
# list of 10,000 distinct 9-letter words. Long words, so nothing falls short.
mkdir "$work/game"
cp "$game_exe" "$work/game/skyquill"
awk -f "$(dirname "$0")/make_list.awk" >"$work/game/SkyquillList.txt"
[[ $(sort -u "$work/game/SkyquillList.txt" | wc -l) -eq 10000 ]] || { echo "word list not distinct" >&2; exit 1; }

hz=$(getconf CLK_TCK)
now_ns() { date +%s%N; }
# utime+stime in clock ticks; the name field may hold spaces, so cut after ")".
cpu_ticks() { local s; s=$(<"/proc/$1/stat"); s=${s##*) }; set -- $s; echo $((${12} + ${13})); }
run_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{t += $1} END {printf "%d\n", t}'; }
wakeups() { awk '/^voluntary_ctxt_switches/ {print $2}' "/proc/$1/task/$1/status"; }

moves() { if [[ -s $1 ]]; then od -An -t u8 "$1" | tr -d ' '; else echo 0; fi; }

# Prints "<ticks %> <schedstat %> <main-thread wakeups/s> <X server %>
# <label moves/s> <CPU us per move>" over one window of `window` seconds.
cpu_window() {
  local pid=$1 counter=$2 c0 r0 w0 x0 m0 t0 c1 r1 w1 x1 m1 t1
  c0=$(cpu_ticks "$pid"); r0=$(run_ns "$pid"); w0=$(wakeups "$pid"); x0=$(cpu_ticks "$xvfb_pid")
  m0=$(moves "$counter"); t0=$(now_ns)
  sleep "$window"
  c1=$(cpu_ticks "$pid"); r1=$(run_ns "$pid"); w1=$(wakeups "$pid"); x1=$(cpu_ticks "$xvfb_pid")
  m1=$(moves "$counter"); t1=$(now_ns)
  awk -v c=$((c1 - c0)) -v r=$((r1 - r0)) -v w=$((w1 - w0)) -v x=$((x1 - x0)) -v m=$((m1 - m0)) \
    -v t=$((t1 - t0)) -v hz="$hz" 'BEGIN {
      s = t / 1e9
      printf "%.2f %.3f %.1f %.2f %.1f %s\n", c / hz / s * 100, r / 1e7 / s, w / s, x / hz / s * 100, m / s,
        m ? sprintf("%.1f", r / 1e3 / m) : "-"
    }'
}

results=$work/results
: >"$results"
record() { echo "$1 $2 $3" >>"$results"; }  # program figure value
# Records and prints one CPU window: program, phase, label, cpu_window line.
record_cpu() {
  local fields
  read -r -a fields <<<"$4"
  record "$1" "$2_cpu" "${fields[0]}"
  record "$1" "$2_sched" "${fields[1]}"
  record "$1" "$2_wakeups" "${fields[2]}"
  record "$1" "$2_xcpu" "${fields[3]}"
  if [[ ${fields[5]} != - ]]; then
    record "$1" "$2_moves" "${fields[4]}"
    record "$1" "$2_us_per_move" "${fields[5]}"
  fi
  printf '%-5s run %d: %-13s cpu %s %%, schedstat %s %%, main-thread wakeups %s/s, X server %s %%, ' \
    "$1" "$run" "$3" "${fields[@]:0:4}"
  printf 'label moves %s/s, %s us CPU per move\n' "${fields[@]:4:2}"
}

# Starts a program and waits for its window; sets app_pid and wid.
# A third argument "count" preloads the move counter.
start_app() {
  local name=$1 exe=$2 t0
  rm -f "$work/$name.moves"
  t0=$(now_ns)
  if [[ ${3:-} == count && -n $counter_so ]]; then
    LD_PRELOAD=$counter_so SKYQUILL_MOVE_COUNTER=$work/$name.moves "$exe" >"$work/$name.log" 2>&1 &
  else
    "$exe" >"$work/$name.log" 2>&1 &
  fi
  app_pid=$!
  until wid=$(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | head -n 1) && [[ -n $wid ]]; do
    kill -0 "$app_pid" 2>/dev/null || { echo "$name exited before showing a window" >&2; cat "$work/$name.log" >&2; exit 1; }
    (($(now_ns) - t0 < 20000000000)) || { echo "$name: no window after 20 s" >&2; exit 1; }
    sleep 0.002
  done
}

stop_app() {
  kill "$app_pid"
  wait "$app_pid" 2>/dev/null || true
  app_pid=
}

# Starts a program, lets it settle, measures memory and CPU, ends it.
probe() {
  local name=$1 exe=$2 run=$3 counter=$work/$1.moves
  start_app "$name" "$exe" count
  sleep "$settle"
  local rss
  rss=$(awk '/^VmRSS/ {print $2}' "/proc/$app_pid/status")
  record "$name" rss_kb "$rss"
  printf '%-5s run %d: VmRSS %s kB\n' "$name" "$run" "$rss"

  record_cpu "$name" idle idle "$(cpu_window "$app_pid" "$counter")"

  xdotool windowfocus --sync "$wid"
  xdotool key ctrl+n
  sleep 1
  record_cpu "$name" fall falling "$(cpu_window "$app_pid" "$counter")"

  if [[ $name == game ]]; then
    xdotool key Escape  # the entry box has the focus after New Game
    sleep 1
    record_cpu "$name" paused_esc "paused (Esc)" "$(cpu_window "$app_pid" "$counter")"
    xdotool key ctrl+p  # resume
    sleep 1
    xdotool key ctrl+p  # and pause from the menu shortcut
    sleep 1
    record_cpu "$name" paused_ctrlp "paused (^P)" "$(cpu_window "$app_pid" "$counter")"
  fi
  stop_app
}

echo "display $display, $map_starts timed starts, then $runs runs each with ${window} s CPU windows"
mkdir "$work/game1"
cp "$game_exe" "$work/game1/skyquill"
echo quill >"$work/game1/SkyquillList.txt"
/usr/bin/python3 "$(dirname "$0")/map_time.py" "$map_starts" 0 0 floor="$floor_exe" game1="$work/game1/skyquill" \
  game="$work/game/skyquill" | tee "$work/map.txt" | grep -v '^median'  # the medians are taken below
awk '$1 == "median" { print $2, $3, $4 }' "$work/map.txt" >>"$results"
for run in $(seq "$runs"); do
  # Alternate which goes first, so a slow spell on the shared machine hits both.
  if ((run % 2)); then
    probe game "$work/game/skyquill" "$run"
    probe floor "$floor_exe" "$run"
  else
    probe floor "$floor_exe" "$run"
    probe game "$work/game/skyquill" "$run"
  fi
done

sort -k1,1 -k2,2 -k3,3g "$results" | awk '
  function flush() { if (n) { m = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2; print "median", key, m } n = 0 }
  { k = $1 " " $2; if (k != key) { flush(); key = k } v[++n] = $3 }
  END { flush() }'
