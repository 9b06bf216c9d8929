#!/usr/bin/env bash
# Builds the libFuzzer targets (one today) with clang in build/fuzz and runs each one for
# FUZZ_SECONDS (default 60), starting from the committed seeds plus whatever
# earlier runs kept in build/fuzz/corpus. Fails if any target finds a crash,
# a broken invariant, a leak, a timeout or an out-of-memory input; the input
# is left in build/fuzz/artifacts/<target>/ (replay it by passing the file to
# the fuzzer binary).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
build=build/fuzz
targets=(typing)

# A fresh configure with clang; the fuzzers' own CMake adds the
# instrumentation, Debug keeps Qt's inline assertions live.
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug -DSKYQUILL_FUZZ=ON -DSKYQUILL_TESTS=OFF -DSKYQUILL_BENCH=OFF \
  -DSKYQUILL_WERROR=ON >/dev/null
if ! ninja -C "$build" -t targets all | grep '^fuzz_typing:' >/dev/null; then
  echo "fuzz.sh: CMakeLists.txt does not add tests/fuzz when SKYQUILL_FUZZ is ON" >&2
  exit 1
fi
cmake --build "$build" -j 2 --target "${targets[@]/#/fuzz_}"

status=0
for t in "${targets[@]}"; do
  corpus=$build/corpus/$t
  artifacts=$build/artifacts/$t
  log=$build/fuzz_$t.log
  mkdir -p "$corpus" "$artifacts"
  rm -f "$artifacts"/*
  cp -n tests/fuzz/corpus/"$t"/* "$corpus"/ || true  # -n: keep what earlier runs found
  # rss/malloc limits: a game holds two short words and an entry, so no
  # single allocation comes near 32 MB; the RSS limit leaves room for
  # AddressSanitizer's quarantine.
  set +e
  "$build/tests/fuzz/fuzz_$t" "$corpus" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -malloc_limit_mb=32 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" >"$log" 2>&1
  rc=$?
  set -e
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  found=$(find "$artifacts" -type f | wc -l)
  echo "fuzz_$t: ${runs:-?} executions (${speed:-?}/s) in ${seconds}s, corpus $(find "$corpus" -type f | wc -l) files, $found finding(s)"
  if [[ $rc -ne 0 || $found -ne 0 ]]; then
    status=1
    echo "fuzz_$t FAILED (exit $rc); the log ends:" >&2
    grep -m 5 -E 'invariant broken|ERROR:|runtime error' "$log" >&2 || true
    grep -v '^#[0-9]' "$log" | tail -30 >&2
    find "$artifacts" -type f -printf '  input kept: %p\n' >&2
  fi
done
exit $status
