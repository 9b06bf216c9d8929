#!/usr/bin/env bash
# Static analysis of src/ with clang-tidy (checks listed in .clang-tidy) and
# cppcheck (suppressions, each with its reason, in cppcheck-suppressions.txt),
# both reading the release build's compile_commands.json. Any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."

# Configuring is enough: the sources include no generated file. The portable
# word list reader is compiled only with SKYQUILL_PORTABLE_FILE, as in the
# asan preset, so it is checked with that build's commands.
cmake --preset release >/dev/null
cmake --preset asan >/dev/null
db=build/release
portable=src/game/word_list_file_qfile.cpp

mapfile -t sources < <(find src -name '*.cpp' ! -path "$portable" | sort)
status=0

# The rules link QtCore only: a Qt Gui or Widgets header belongs to the view
# (src/window/qt/) or to main.cpp, which starts the application.
qt_headers=$(find /usr/include -maxdepth 3 -type d -name QtCore -path '*qt6*' | head -n 1)
qt_headers=${qt_headers%/QtCore}
echo "Qt Gui and Widgets headers outside the view"
mapfile -t ui_headers < <(ls "$qt_headers/QtGui" "$qt_headers/QtWidgets" | grep -E '^[A-Za-z_0-9.]+$')
pattern="#include\s*<((QtGui|QtWidgets)/|($(IFS='|'; echo "${ui_headers[*]//./\.}"))>)"
if grep -rnE "$pattern" src --include='*.h' --include='*.cpp' | grep -vE '^src/(window/qt/|main\.cpp:)'; then
  echo "a Qt Gui or Widgets header is included outside src/window/qt/ and src/main.cpp" >&2
  status=1
fi

echo "clang-tidy on $((${#sources[@]} + 1)) files"
tidy_log=$db/clang-tidy.log
printf '%s\n' "${sources[@]}" | xargs -P 2 -n 3 clang-tidy -p "$db" --quiet >"$tidy_log" 2>&1 || status=1
clang-tidy -p build/asan --quiet --extra-arg=-Wno-unknown-warning-option "$portable" >>"$tidy_log" 2>&1 || status=1
grep -qE '(warning|error):' "$tidy_log" && status=1
if [[ $status -ne 0 ]]; then
  echo "clang-tidy: findings (full output in $tidy_log)" >&2
  grep -A 3 -E '(warning|error):' "$tidy_log" >&2 || tail -n 20 "$tidy_log" >&2
fi

echo "cppcheck on src/"
if ! cppcheck --project="$db/compile_commands.json" --file-filter='src/*' \
    --enable=warning,style,performance,portability --library=qt --std=c++20 \
    --suppressions-list=cppcheck-suppressions.txt --error-exitcode=1 -j 2 --quiet; then
  echo "cppcheck: findings" >&2
  status=1
fi
# The asan build makes only the unit tests, so its database names moc files
# that may not exist: the portable reader is checked on its own.
if ! cppcheck -I src -DSKYQUILL_PORTABLE_FILE "$portable" \
    --enable=warning,style,performance,portability --library=qt --std=c++20 \
    --suppressions-list=cppcheck-suppressions.txt --error-exitcode=1 --quiet; then
  echo "cppcheck: findings in $portable" >&2
  status=1
fi

[[ $status -eq 0 ]] && echo "analysis: no findings"
exit $status
