#!/usr/bin/env bash
# Static analysis of src/ with clang-tidy (checks listed in .clang-tidy) and
# cppcheck (suppressions, each with its reason, in cppcheck-suppressions.txt),
# both reading the release build's compile_commands.json. Any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."

# Configuring is enough: the sources include no generated file.
cmake --preset release >/dev/null
db=build/release

mapfile -t sources < <(find src -name '*.cpp' | sort)
status=0

# Two libraries, and includes that run one way: the rules (src/core/) link
# QtCore only, so a Qt Gui or Widgets header belongs to the view (src/qt/) or
# to main.cpp, which starts the application; and nothing in src/core/
# includes anything from src/qt/.
qt_headers=$(find /usr/include -maxdepth 3 -type d -name QtCore -path '*qt6*' | head -n 1)
qt_headers=${qt_headers%/QtCore}
echo "includes: Qt Gui and Widgets only in src/qt/ and src/main.cpp, nothing of src/qt/ in src/core/"
mapfile -t ui_headers < <(ls "$qt_headers/QtGui" "$qt_headers/QtWidgets" | grep -E '^[A-Za-z_0-9.]+$')
pattern="#include\s*<((QtGui|QtWidgets)/|($(IFS='|'; echo "${ui_headers[*]//./\.}"))>)"
if grep -rnE "$pattern" src --include='*.h' --include='*.cpp' | grep -vE '^src/(qt/|main\.cpp:)'; then
  echo "a Qt Gui or Widgets header is included outside src/qt/ and src/main.cpp" >&2
  status=1
fi
if grep -rnE '#include\s*"qt/' src/core; then
  echo "src/core/ includes the view: includes run from src/qt/ to src/core/, never back" >&2
  status=1
fi

echo "clang-tidy on ${#sources[@]} files"
tidy_log=$db/clang-tidy.log
printf '%s\n' "${sources[@]}" | xargs -P 2 -n 3 clang-tidy -p "$db" --quiet >"$tidy_log" 2>&1 || status=1
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

[[ $status -eq 0 ]] && echo "analysis: no findings"
exit $status
