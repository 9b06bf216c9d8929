#!/usr/bin/env bash
# Builds the Debian package from the release build and checks it, then checks
# a plain `cmake --install` into a scratch prefix:
#   1. cmake --workflow --preset deb (configure release, build, cpack)
#   2. lintian: no error, no warning, and every info tag explained in the
#      README's "Debian package" section
#   3. the control fields: Depends from dpkg-shlibdeps plus the font,
#      Recommends qt6-wayland
#   4. dpkg-deb -x into a scratch root: the files, the desktop file and the
#      AppStream metadata (validators), the copyright file's word list notice
#   5. cmake --install --prefix <scratch>: the same files in the plain layout
#   6. both launchers under Xvfb: the game window opens with the bundled list
#      and New Game drops a word; Ctrl+X ends the packaged game with status 0
# Nothing is installed into the machine's own /usr.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
build=$src/build/release

step() { printf '\n-- %s\n' "$*"; }
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
ok() { echo "ok:   $*"; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/skyquill-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

step "build the package"
cmake --workflow --preset deb
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
deb=$build/skyquill_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || fail "no $deb"
ok "$deb"

step "lintian"
# --fail-on makes errors and warnings fail; info tags are shown with -I and
# must each be explained in the README.
lintian -I --fail-on error,warning --tag-display-limit 0 "$deb" 2>&1 | tee "$scratch/lintian.txt" ||
    fail "lintian reports errors or warnings"
readme_tags=$(awk '/^## / { p = /^## Debian package/ } p' README.md)
while read -r tag; do
    grep -qF "\`$tag\`" <<<"$readme_tags" || fail "lintian info tag $tag is not explained in the README's Debian package section"
done < <(awk '/^I: / { print $3 }' "$scratch/lintian.txt" | sort -u)
ok "lintian: no error or warning, $(grep -c '^I: ' "$scratch/lintian.txt" || true) info tag(s), each explained in the README"

step "control fields"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
echo "Recommends: $(dpkg-deb -f "$deb" Recommends)"
# libqt6widgets6 and libc6 come only from dpkg-shlibdeps.
for dep in fonts-dejavu-core libqt6widgets6 libc6; do
    grep -qE "(^|, )$dep( |,|$)" <<<"$depends" || fail "Depends lacks $dep"
done
[[ $(dpkg-deb -f "$deb" Recommends) == qt6-wayland ]] || fail "Recommends is not qt6-wayland"
[[ $(dpkg-deb -f "$deb" Section) == games ]] || fail "Section is not games"
ok "Depends and Recommends"

# check_tree <root> <launcher> <game dir> <doc dir>: the installed files.
check_tree() {
    local root=$1 launcher=$1/$2 appdir=$1/$3 share=$1/$4 f
    [[ -x $launcher && $(head -n 1 "$launcher") == '#!/bin/sh' ]] || fail "no sh launcher at $launcher"
    sh -n "$launcher" || fail "$launcher: shell syntax error"
    grep -qE '^exec "[^"]+" "\$@"$' "$launcher" || fail "$launcher does not exec the game with its arguments"
    [[ $(head -c 4 "$appdir/skyquill" | od -An -c | tr -d ' \n') == '177ELF' && -x $appdir/skyquill ]] ||
        fail "$appdir/skyquill is not an ELF executable"
    cmp -s "$appdir/SkyquillList.txt" data/SkyquillList.txt || fail "$appdir/SkyquillList.txt differs from data/"
    for f in applications/skyquill.desktop metainfo/io.github.tamsley.Skyquill.metainfo.xml \
        icons/hicolor/scalable/apps/skyquill.svg man/man6/skyquill.6.gz; do
        [[ -s $share/$f && ! -x $share/$f ]] || fail "missing, empty or executable: $share/$f"
    done
    # PNG signature, then IHDR: 32x32, 8 bits, colour type 6 (RGBA).
    f=$share/icons/hicolor/32x32/apps/skyquill.png
    [[ $(head -c 26 "$f" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a0000000d494844520000002000000020080* ]] ||
        fail "$f is not a 32x32 PNG"
    [[ $(head -c 26 "$f" | tail -c 1 | od -An -tx1 | tr -d ' \n') == 06 ]] || fail "$f is not RGBA"
    [[ $(sed -n 's/^Exec=//p' "$share/applications/skyquill.desktop") == skyquill ]] || fail "desktop Exec= is not skyquill"
    [[ $(sed -n 's/^Icon=//p' "$share/applications/skyquill.desktop") == skyquill ]] || fail "desktop Icon= is not skyquill"
    if out=$(desktop-file-validate "$share/applications/skyquill.desktop" 2>&1) && ! grep -qE '(error|warning):' <<<"$out"; then
        ok "desktop-file-validate"
    else
        fail "desktop-file-validate: $out"
    fi
    # The metadata alone, then with the desktop file and icons around it.
    if out=$(appstreamcli validate --no-net "$share/metainfo/io.github.tamsley.Skyquill.metainfo.xml" 2>&1) &&
        ! grep -qE '^[EW]: ' <<<"$out"; then
        ok "appstreamcli validate"
    else
        fail "appstreamcli validate: $out"
    fi
    if out=$(appstreamcli validate-tree --no-net "${share%/share}" 2>&1) && ! grep -qE '^ *[EW]: ' <<<"$out"; then
        ok "appstreamcli validate-tree"
    else
        fail "appstreamcli validate-tree: $out"
    fi
    ok "files under $root"
}

step "unpack with dpkg-deb -x"
root=$scratch/deb
dpkg-deb -x "$deb" "$root"
check_tree "$root" usr/games/skyquill usr/lib/games/skyquill usr/share
# The copyright file carries data/COPYING.wordlist as the word list's
# licence text: its stand-alone License paragraph, one blank of indent and
# " ." for an empty line.
awk 'p; prev == "" && $0 == "License: SCOWL" { p = 1 } { prev = $0 }' "$root/usr/share/doc/skyquill/copyright" |
    sed -e 's/^ //' -e 's/^\.$//' >"$scratch/notice.txt"
diff -q "$scratch/notice.txt" <(sed 's/[[:space:]]*$//' data/COPYING.wordlist) >/dev/null ||
    fail "the copyright file's SCOWL licence text differs from data/COPYING.wordlist"
zcat "$root/usr/share/doc/skyquill/changelog.gz" | head -n 1 | grep -qF "skyquill ($version)" ||
    fail "changelog.gz does not begin with version $version"
ok "copyright and changelog"
list=$root/usr/lib/games/skyquill/SkyquillList.txt
count=$(wc -l <"$list")
((count >= 1 && count <= 10000)) || fail "the word list has $count lines, not 1 to 10,000"
! LC_ALL=C grep -qvE '^[a-z]{4,9}$' "$list" || fail "the word list has a line that is not 4 to 9 letters a-z (or a CR)"
[[ -z $(LC_ALL=C sort "$list" | uniq -d) ]] || fail "the word list has duplicates"
[[ $(tail -c 1 "$list" | od -An -c | tr -d ' ') == '\n' ]] || fail "the word list does not end with a line end"
ok "word list: $count words"

step "cmake --install into a scratch prefix"
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
check_tree "$prefix" bin/skyquill libexec/skyquill share
[[ -s $prefix/share/doc/Skyquill/COPYING.wordlist ]] || fail "COPYING.wordlist not installed"
[[ ! -e $prefix/games ]] || fail "the package's layout leaked into a plain install"

step "the launchers under Xvfb"
(
    set +e
    # shellcheck source=xvfb.sh
    source scripts/xvfb.sh
    x=$scratch/x
    mkdir -p "$x/cwd" "$x/runtime" && chmod 700 "$x/runtime"
    trap '[[ -n ${GAME_PID:-} ]] && kill "$GAME_PID" 2>/dev/null; x_stop' EXIT
    x_start "$x/xvfb.log" 90 99 || fail "Xvfb did not start on a display in :90-:99"
    yellow() { import -window "$1" "$x/shot.png" && (($(x_count "$x/shot.png" yellow 0 0 290 500 | cut -d' ' -f1) > 20)); }

    # Runs a launcher from an empty directory: the list must come from beside
    # the game, and without it the game would show "No Word List Found!".
    play() {
        local launcher=$1 game=$2 win i status
        x_run_game "$x" "$launcher"
        win=$(x_wait_window " Tamsley's Skyquill Game" 15) || fail "$launcher: no game window"
        # The launcher execs the game, so the window belongs to the game
        # unpacked beside the list.
        [[ $(readlink "/proc/$GAME_PID/exe") == "$game" ]] ||
            fail "$launcher runs $(readlink "/proc/$GAME_PID/exe"), not $game"
        xdotool windowfocus --sync "$win" key ctrl+n
        for ((i = 0; i < 50; i++)); do yellow "$win" && break; sleep 0.1; done
        ((i < 50)) || fail "$launcher: no word falls after New Game"
        xdotool windowfocus --sync "$win" key ctrl+x
        x_wait_exit 10
        status=$?
        GAME_PID=""
        ((status == 0)) || fail "Ctrl+X ended $game with status $status"
        echo "$launcher: window open, a word falls"
    }
    play "$root/usr/games/skyquill" "$root/usr/lib/games/skyquill/skyquill"
    play "$prefix/bin/skyquill" "$prefix/libexec/skyquill/skyquill"
    exit 0
) || fail "the launchers under Xvfb"
ok "both launchers open the game with the bundled list"

echo
echo "check-package.sh: $deb passed"
