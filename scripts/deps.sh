#!/usr/bin/env bash
# Installs the Debian packages that building, playing and testing need, and
# only those that are missing.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libxcb1-dev libuchardet-dev libcld2-dev libicu-dev
  # the unit tests
  libgtest-dev
  # the real-window suite: a virtual X server, two window managers, input and screenshots
  xvfb xauth openbox fluxbox xdotool x11-utils imagemagick fonts-dejavu-core
  # the Debian package and its checks: dpkg-shlibdeps, strip, lintian
  dpkg-dev binutils file lintian desktop-file-utils appstream
  # the sanitizer build: clang with its sanitizer and fuzzer runtimes, the analysers
  clang libclang-rt-dev clang-tidy cppcheck
  # what measures (bench/, tools/): callgrind, X events, coverage, the README's picture
  valgrind python3-xlib gcovr pngquant
)
if [[ "${1:-}" == "--play" ]]; then
  packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libxcb1-dev libuchardet-dev libcld2-dev libicu-dev fonts-dejavu-core)
fi

missing=()
for p in "${packages[@]}"; do
  if [[ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]]; then
    missing+=("$p")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
