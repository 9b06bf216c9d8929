#!/usr/bin/env bash
# Builds the benchmarks (Release, in build/bench), runs all of them and prints
# one table: figure | game | floor | ratio | target | met?
#
# Environment: RUNS (repetitions of everything, default 5, at least 5),
# TIMER_SECONDS (per drop period, default 10), CALLGRIND_RUNS (start-ups
# counted per program, default 3), MAP_STARTS (timed starts per program,
# default 15), KEEP=dir (keep raw outputs).
# The machine is shared, so every timed figure is a median over its runs, and
# the start-up is also counted in instructions, which load does not move.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/bench
runs=${RUNS:-5}
timer_seconds=${TIMER_SECONDS:-10}
((runs >= 5)) || { echo "RUNS must be at least 5" >&2; exit 2; }

out=${KEEP:-$(mktemp -d /tmp/skyquill-bench.XXXXXX)}
mkdir -p "$out"
[[ -n ${KEEP:-} ]] || trap 'rm -rf "$out"' EXIT
export XDG_RUNTIME_DIR=$out/runtime
export XDG_DATA_HOME=$out/data  # so that no list of the user's own is read
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

echo "== build ($build)"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSKYQUILL_TESTS=OFF -DSKYQUILL_BENCH=ON \
  -DSKYQUILL_WERROR=ON >"$out/configure.log" || { cat "$out/configure.log" >&2; exit 1; }
cmake --build "$build" -j 2 --target skyquill skyquill_floor skyquill_micro skyquill_timer_accuracy \
  skyquill_move_counter skyquill_cold_read skyquill_first_idle_exit

# The game beside a list of one word, one of 10,000 distinct 9-letter words,
# and the bundled list.
lists=$out/lists
for name in game1 game bundled; do
  mkdir -p "$lists/$name" && cp "$build/skyquill" "$lists/$name/"
done
echo quill >"$lists/game1/SkyquillList.txt"
awk -f "$root/bench/make_list.awk" >"$lists/game/SkyquillList.txt"
cp "$root/data/SkyquillList.txt" "$lists/bundled/"

cg_runs=${CALLGRIND_RUNS:-3}
echo "== start-up in instructions (callgrind, offscreen, $cg_runs runs each)"
# Counted from exec until the event loop first waits (bench/first_idle_exit.cpp).
: >"$out/callgrind.txt"
for r in $(seq "$cg_runs"); do
  for name in floor game1 game bundled; do
    exe=$build/bench/floor/skyquill_floor
    [[ $name == floor ]] || exe=$lists/$name/skyquill
    rm -f "$out"/cg.*
    QT_QPA_PLATFORM=offscreen valgrind --tool=callgrind --trace-children=yes --callgrind-out-file="$out/cg.%p" \
      env LD_PRELOAD="$build/bench/libskyquill_first_idle_exit.so" "$exe" >/dev/null 2>"$out/callgrind.log" ||
      { cat "$out/callgrind.log" >&2; exit 1; }
    echo "$name $(awk '/^summary:/ {print $2}' "$out"/cg.*)" | tee -a "$out/callgrind.txt"
  done
done
# The reader alone, on its first call in a fresh process.
for name in game bundled; do
  valgrind --tool=callgrind --callgrind-out-file="$out/read.cg" '--toggle-collect=skyquill::readWordList(QString const&)' \
    "$build/bench/skyquill_cold_read" "$lists/$name/SkyquillList.txt" >/dev/null 2>"$out/callgrind.log"
  declare "read_$name=$(awk '/^summary:/ {print $2}' "$out/read.cg")"
done
echo "readWordList: $read_bundled instructions on the bundled list, $read_game on 10,000 9-letter words"
cg() { awk -v p="$1" '$1 == p { v[++n] = $2 } END {
  for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
  print n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2 }' "$out/callgrind.txt"; }

echo "== cold first read of 10,000 words ($((runs * 3)) fresh processes)"
: >"$out/cold.txt"
for _ in $(seq $((runs * 3))); do
  "$build/bench/skyquill_cold_read" "$lists/game/SkyquillList.txt" >>"$out/cold.txt"
done
cold() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" "$out/cold.txt" | sort -g | awk '{ v[++n] = $1 } END {
  print n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2 }'; }

echo "== micro-benchmarks ($runs repetitions each)"
benches=(BM_ReadWordList BM_FormLoad BM_NextWordCycle BM_NextWordWorstPick BM_DropTick BM_Paste1M BM_KeyPress)
for b in "${benches[@]}"; do
  # One benchmark per invocation, so each CSV has its own counter columns.
  "$build/bench/skyquill_micro" --benchmark_filter="^$b(/|\$)" --benchmark_repetitions="$runs" \
    --benchmark_format=csv >"$out/$b.csv" 2>"$out/$b.err" || { cat "$out/$b.err" >&2; exit 1; }
  if grep -q '"true"' "$out/$b.csv"; then
    echo "$b reported an error:" >&2; cat "$out/$b.csv" >&2; exit 1
  fi
done
# micro BENCH COLUMN -> "median max" of COLUMN over the repetitions.
micro() {
  awk -F, -v b="$1" -v col="$2" '
    /^name,/ { for (i = 1; i <= NF; i++) { h = $i; gsub(/"/, "", h); idx[h] = i }; next }
    idx["name"] { name = $1; gsub(/"/, "", name); sub(/\/manual_time$/, "", name); if (name == b) v[++n] = $(idx[col]) }
    END {
      if (!n) { print "nan nan"; exit }
      for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
      m = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
      print m, v[n]
    }' "$out/$1.csv"
}

echo "== drop timer accuracy ($runs runs x 2 periods x ${timer_seconds} s, offscreen)"
: >"$out/timer.txt"
for r in $(seq "$runs"); do
  QT_QPA_PLATFORM=offscreen "$build/bench/skyquill_timer_accuracy" "$timer_seconds" | tee -a "$out/timer.txt"
done
# timer INTERVAL KEY -> "median max" over the runs.
timer() {
  awk -v iv="interval=$1" -v key="$2" '
    $1 == iv { for (i = 2; i <= NF; i++) { split($i, kv, "="); if (kv[1] == key) v[++n] = kv[2] + 0 } }
    END {
      for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
      m = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
      print m, v[n]
    }' "$out/timer.txt"
}

echo "== windows under Xvfb ($runs runs each)"
RUNS=$runs "$root/bench/window_probe.sh" "$build/skyquill" "$build/bench/floor/skyquill_floor" \
  "$build/bench/libskyquill_move_counter.so" | tee "$out/probe.txt"
probe() { awk -v p="$1" -v f="$2" '$1 == "median" && $2 == p && $3 == f { print $4 }' "$out/probe.txt"; }

# ---- the table ----------------------------------------------------------
rows=()
row() { rows+=("$(printf '%s|%s|%s|%s|%s|%s' "$@")"); }
calc() { awk "function abs(x) { return x < 0 ? -x : x } BEGIN { $1 }"; }
verdict() { calc "print ($1) ? \"yes\" : \"NO\""; }

b=$(cg bundled) g=$(cg game) g1=$(cg game1) f=$(cg floor)
ratio=$(calc "printf \"%.3f\", $b / $f")
row "Start-up, bundled list (M instructions, callgrind)" "$(calc "printf \"%.2f\", $b / 1e6")" \
  "$(calc "printf \"%.2f\", $f / 1e6")" "$ratio" "<= 1.08 x floor" "$(verdict "$ratio <= 1.08")"
row "  with 10,000 9-letter words" "$(calc "printf \"%.2f\", $g / 1e6")" "" "$(calc "printf \"%.3f\", $g / $f")" "(info)" ""
row "  with 1 word" "$(calc "printf \"%.2f\", $g1 / 1e6")" "" "$(calc "printf \"%.3f\", $g1 / $f")" "(info)" ""
row "readWordList, bundled list (M instructions; per word)" \
  "$(calc "printf \"%.2f (%.0f)\", $read_bundled / 1e6, $read_bundled / 10000")" "" "" "<= 4 M" "$(verdict "$read_bundled <= 4e6")"
row "  with 10,000 9-letter words" "$(calc "printf \"%.2f\", $read_game / 1e6")" "" "" "(info)" ""
row "  cold first read in a fresh process: wall ms (CPU ms)" \
  "$(calc "printf \"%.2f (%.2f)\", $(cold wall_us) / 1e3, $(cold cpu_us) / 1e3")" "" "" "(info)" ""

g=$(probe game map_ms) g1=$(probe game1 map_ms) f=$(probe floor map_ms)
ratio=$(calc "printf \"%.3f\", $g / $f")
row "Time to mapped window, 10,000 words (ms, MapNotify)" "$(calc "printf \"%.1f\", $g")" "$(calc "printf \"%.1f\", $f")" \
  "$ratio" "<= 1.05 x floor" "$(verdict "$ratio <= 1.05")"
row "  with 1 word" "$(calc "printf \"%.1f\", $g1")" "" "$(calc "printf \"%.3f\", $g1 / $f")" "(info)" ""
g=$(probe game cpu_ms) g1=$(probe game1 cpu_ms) f=$(probe floor cpu_ms)
row "  CPU used by then (ms): 10,000 words (1 word)" "$g ($g1)" "$f" "$(calc "printf \"%.3f\", $g / $f")" "(info)" ""

g=$(probe game rss_kb) f=$(probe floor rss_kb)
row "Resident memory, settled, 10,000 words (MB)" "$(calc "printf \"%.1f\", $g / 1024")" "$(calc "printf \"%.1f\", $f / 1024")" \
  "$(calc "printf \"%+.2f MB\", ($g - $f) / 1024")" "<= floor + 1 MB" "$(verdict "$g - $f <= 1024")"

g=$(probe game fall_cpu) f=$(probe floor fall_cpu)
ratio=$(calc "printf \"%.2f\", $g / $f")
row "CPU while a word falls (% of one core)" "$g" "$f" "$ratio" "<= 1.25 x floor" "$(verdict "$ratio <= 1.25")"
gm=$(probe game fall_moves) fm=$(probe floor fall_moves)
gt=$(probe game fall_us_per_move) ft=$(probe floor fall_us_per_move)
ratio=$(calc "printf \"%.2f\", $gt / $ft")
# The game's words fall at 64 or 32 Hz, the floor's at 64 Hz: per tick is the
# like-for-like view, shown for information beside the target above.
row "  per drop tick, CPU us (ticks/s: game ${gm}, floor ${fm})" "$gt" "$ft" "$ratio" "(info)" ""

for phase in idle paused_esc paused_ctrlp; do
  label=$phase
  case $phase in
    idle) label="CPU idle, before a game (%)" ;;
    paused_esc) label="CPU paused with Esc (%)" ;;
    paused_ctrlp) label="CPU paused with Ctrl+P (%)" ;;
  esac
  g=$(probe game "${phase}_cpu") gs=$(probe game "${phase}_sched")
  f=$(probe floor "${phase}_cpu")
  row "$label" "$(calc "printf \"%.1f (%.3f)\", $g, $gs")" "${f:+$(calc "printf \"%.1f\", $f")}" "" "0.0 %" \
    "$(verdict "$g < 0.05 && $gs < 0.05")"
done

for iv in 1 25; do
  nominal=$([[ $iv == 1 ]] && echo 15.625 || echo 31.25)
  read -r mean _ <<<"$(timer "$iv" mean_ms)"
  read -r err errmax <<<"$(timer "$iv" error_pct)"
  read -r drift driftmax <<<"$(timer "$iv" drift_ms)"
  read -r worst worstmax <<<"$(timer "$iv" worst_ms)"
  row "Drop period, interval $iv ($nominal ms): mean ms (error %)" "$(calc "printf \"%.4f (%+.3f %%)\", $mean, $err")" "" "" \
    "within 0.5 %" "$(verdict "abs($err) <= 0.5")"
  row "  drift: last tick vs expected after ${timer_seconds} s (ms), median / max" \
    "$(calc "printf \"%+.2f / %+.2f\", $drift, $driftmax")" "" "" \
    "no drift (<= 2 ms)" "$(verdict "abs($drift) <= 2")"
  row "  worst gap between ticks (ms), median / max" "$worst / $worstmax" "" "" "" ""
done

read -r v _ <<<"$(micro BM_ReadWordList cpu_time)"
row "Load 10,000 words, readWordList (ms)" "$(calc "printf \"%.2f\", $v")" "" "" "<= 5 ms" "$(verdict "$v <= 5")"
read -r v _ <<<"$(micro BM_FormLoad cpu_time)"
row "  start-up load incl. word table, Form_Load (ms)" "$(calc "printf \"%.2f\", $v")" "" "" "" ""
read -r v _ <<<"$(micro BM_NextWordCycle per_pick)"
row "Mean pick over a 10,000-word cycle (us)" "$(calc "printf \"%.3f\", $v * 1e6")" "" "" "" ""
read -r v _ <<<"$(micro BM_NextWordWorstPick cycle_worst_us)"
read -r _ wall <<<"$(micro BM_NextWordWorstPick worst_pick_us)"
read -r _ cpu <<<"$(micro BM_NextWordWorstPick worst_pick_cpu_us)"
read -r _ draws <<<"$(micro BM_NextWordWorstPick worst_draws)"
cycles=$(awk -F, '/manual_time",/ { n += $2 } END { print n }' "$out/BM_NextWordWorstPick.csv")
row "Worst pick in a 10,000-word cycle (us): typical cycle" "$(calc "printf \"%.0f\", $v")" "" "" "<= 1 ms" "$(verdict "$v <= 1000")"
row "  slowest of all $cycles cycles: CPU us (wall us) [draws]" "$(calc "printf \"%.0f (%.0f) [%d]\", $cpu, $wall, $draws")" \
  "" "" "" ""
read -r v _ <<<"$(micro BM_Paste1M cpu_time)"
row "Paste of 1,000,000 characters (ms)" "$(calc "printf \"%.2f\", $v")" "" "" "<= 50 ms" "$(verdict "$v <= 50")"
read -r v _ <<<"$(micro BM_DropTick cpu_time)"
row "One drop tick, rules only (ns)" "$(calc "printf \"%.1f\", $v")" "" "" "" ""
read -r v _ <<<"$(micro BM_KeyPress per_key)"
row "Key press extending a correct beginning (ns)" "$(calc "printf \"%.0f\", $v * 1e9")" "" "" "" ""

echo
echo "== Skyquill performance: medians of $runs runs ($(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg))"
{
  echo "figure|game|floor|ratio|target|met?"
  printf '%s\n' "${rows[@]}"
} | awk -F'|' '
  { for (i = 1; i <= NF; i++) { cell[NR, i] = $i; if (length($i) > w[i]) w[i] = length($i) } n = NR; nf = NF }
  END {
    for (r = 1; r <= n; r++) {
      line = ""
      for (i = 1; i <= nf; i++) line = line (i > 1 ? " | " : "") sprintf("%-" w[i] "s", cell[r, i])
      print line
      if (r == 1) {
        sep = ""
        for (i = 1; i <= nf; i++) { dash = sprintf("%" w[i] "s", ""); gsub(/ /, "-", dash); sep = sep (i > 1 ? "-+-" : "") dash }
        print sep
      }
    }
  }'
