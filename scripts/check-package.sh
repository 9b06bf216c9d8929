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
#      and LICENSE, the word list as a conffile in /etc with an absolute link
#      to it beside the game, one version number everywhere
#   5. the game's --help, --version and a wrong option, without a display
#   6. a second build, from a copy of the tree elsewhere: the same bytes
#   7. cmake --install --prefix <scratch>: the same files in the plain layout
#   8. dpkg --root into a scratch root: an edited list survives an upgrade to
#      a newer version whose list changed too (--force-confold)
#   9. the launchers under Xvfb: the game window opens with the bundled list
#      and New Game drops a word; a FILE argument, a list in the user's data
#      directory and the edited list of step 8 are played (a win typing the
#      one word they hold); a missing FILE, and a player's own list that is
#      no list, show the error box alone, then status 1
# Nothing is installed into the machine's own /usr or /etc.
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
# libqt6widgets6, libc6 and libxcb1 come only from dpkg-shlibdeps.
for dep in fonts-dejavu-core libqt6widgets6 libc6 libxcb1; do
    grep -qE "(^|, )$dep( |,|$)" <<<"$depends" || fail "Depends lacks $dep"
done
[[ $(dpkg-deb -f "$deb" Recommends) == qt6-wayland ]] || fail "Recommends is not qt6-wayland"
[[ $(dpkg-deb -f "$deb" Section) == games ]] || fail "Section is not games"
ok "Depends and Recommends"

# check_tree <root> <launcher> <game dir> <doc dir> <word list>: the
# installed files.
check_tree() {
    local root=$1 launcher=$1/$2 appdir=$1/$3 share=$1/$4 list=$1/$5 f
    [[ -x $launcher && $(head -n 1 "$launcher") == '#!/bin/sh' ]] || fail "no sh launcher at $launcher"
    sh -n "$launcher" || fail "$launcher: shell syntax error"
    grep -qE '^exec "[^"]+" "\$@"$' "$launcher" || fail "$launcher does not exec the game with its arguments"
    [[ $(head -c 4 "$appdir/skyquill" | od -An -c | tr -d ' \n') == '177ELF' && -x $appdir/skyquill ]] ||
        fail "$appdir/skyquill is not an ELF executable"
    [[ -f $list && ! -L $list ]] && cmp -s "$list" data/SkyquillList.txt || fail "$list is not a copy of data/SkyquillList.txt"
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
check_tree "$root" usr/games/skyquill usr/lib/games/skyquill usr/share etc/skyquill/SkyquillList.txt
[[ $(readlink "$root/usr/lib/games/skyquill/SkyquillList.txt") == /etc/skyquill/SkyquillList.txt ]] ||
    fail "usr/lib/games/skyquill/SkyquillList.txt is not a link to /etc/skyquill/SkyquillList.txt"
dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles >"$scratch/conffiles"
[[ $(cat "$scratch/conffiles") == /etc/skyquill/SkyquillList.txt ]] || fail "conffiles: $(cat "$scratch/conffiles")"
ok "the word list: a conffile in /etc, and an absolute link to it beside the game"
# The copyright file carries data/COPYING.wordlist as the word list's
# licence text: its stand-alone License paragraph, one blank of indent and
# " ." for an empty line.
awk 'p; prev == "" && $0 == "License: SCOWL" { p = 1 } { prev = $0 }' "$root/usr/share/doc/skyquill/copyright" |
    sed -e 's/^ //' -e 's/^\.$//' >"$scratch/notice.txt"
diff -q "$scratch/notice.txt" <(sed 's/[[:space:]]*$//' data/COPYING.wordlist) >/dev/null ||
    fail "the copyright file's SCOWL licence text differs from data/COPYING.wordlist"
# LICENSE: the Files: * copyright line, a blank line, then the MIT paragraph.
{
    sed -n '/^Files: \*$/,/^$/ s/^Copyright: /Copyright /p' "$root/usr/share/doc/skyquill/copyright"
    echo
    awk 'p && !/^ / { exit } p; prev == "" && $0 == "License: MIT" { p = 1 } { prev = $0 }' \
        "$root/usr/share/doc/skyquill/copyright" | sed -e 's/^ //' -e 's/^\.$//'
} >"$scratch/license.txt"
diff -u "$scratch/license.txt" LICENSE || fail "LICENSE does not match the copyright file's MIT licence"
zcat "$root/usr/share/doc/skyquill/changelog.gz" | head -n 1 | grep -qF "skyquill ($version)" ||
    fail "changelog.gz does not begin with version $version"
ok "copyright, LICENSE and changelog"
# One version number, the project's: the package, the metainfo, the man page
# and the Windows resource (About's "1.00" is held by the unit tests).
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "the package's version is not $version"
grep -qF "<release version=\"$version\"" "$root/usr/share/metainfo/io.github.tamsley.Skyquill.metainfo.xml" ||
    fail "the metainfo's release is not $version"
zcat "$root/usr/share/man/man6/skyquill.6.gz" | head -n 1 | grep -qF "\"Skyquill $version\"" || fail "the man page is not of $version"
grep -qF "\"FileVersion\", \"$version\"" "$build/skyquill.rc" || fail "the Windows resource is not of $version"
ok "version $version in the package, the metainfo, the man page and the Windows resource"
list=$root/etc/skyquill/SkyquillList.txt
count=$(wc -l <"$list")
((count >= 1 && count <= 10000)) || fail "the word list has $count lines, not 1 to 10,000"
! LC_ALL=C grep -qvE '^[a-z]{4,9}$' "$list" || fail "the word list has a line that is not 4 to 9 letters a-z (or a CR)"
[[ -z $(LC_ALL=C sort "$list" | uniq -d) ]] || fail "the word list has duplicates"
[[ $(tail -c 1 "$list" | od -An -c | tr -d ' ') == '\n' ]] || fail "the word list does not end with a line end"
ok "word list: $count words"

step "--help, --version and a wrong option, without a display"
# A game that tried to open its window here would abort: no display.
answers() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/games/skyquill" "$@" \
        >"$scratch/stdout" 2>"$scratch/stderr"
}
answers --help && [[ $(head -n 1 "$scratch/stdout") == 'Usage: skyquill [options] [FILE]' && ! -s $scratch/stderr ]] ||
    fail "--help: $(cat "$scratch/stdout" "$scratch/stderr")"
grep -qF -- '--version' "$scratch/stdout" && grep -qF '.local/share/skyquill/SkyquillList.txt' "$scratch/stdout" ||
    fail "--help lacks the options or where the lists are"
answers --version && [[ $(cat "$scratch/stdout") == "skyquill $version" && ! -s $scratch/stderr ]] ||
    fail "--version: $(cat "$scratch/stdout" "$scratch/stderr")"
status=0
answers -platform offscreen --frobnicate "$scratch/none.txt" || status=$?
[[ $status == 2 && ! -s $scratch/stdout && $(head -n 1 "$scratch/stderr") == "skyquill: Unknown option 'frobnicate'." &&
    $(sed -n 2p "$scratch/stderr") == 'Usage: skyquill [options] [FILE]' ]] ||
    fail "a wrong option: status $status, $(cat "$scratch/stdout" "$scratch/stderr")"
ok "--help and --version answer with status 0, --frobnicate with a one-line error, the usage and status 2"

step "a second build, from a copy of the tree elsewhere, gives the same package"
# The copy holds the tracked and new files of this tree, as they are now, at
# other paths and with other timestamps; it is no git checkout, so it is
# given the last commit's time as the first build took it.
epoch=$(git log -1 --format=%ct)
[[ $(dpkg-deb --fsys-tarfile "$deb" | tar -tv --utc --full-time | awk '{ print $4 " " $5 }' | sort -u) == \
    "$(date -u -d "@$epoch" '+%F %T')" ]] || fail "the package's files are not stamped with the last commit's time"
copy=$scratch/copy
mkdir "$copy"
git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' f; do
    [[ -e $f ]] && printf '%s\0' "$f"
done | tar --null -T - -cf - | tar -xf - -C "$copy"
(cd "$copy" && SOURCE_DATE_EPOCH=$epoch cmake --workflow --preset deb >"$scratch/copy.log" 2>&1) ||
    fail "the second build failed: see $scratch/copy.log"
first=$(sha256sum <"$deb" | cut -d' ' -f1)
second=$(sha256sum <"$copy/build/release/${deb##*/}" | cut -d' ' -f1)
echo "sha256 $first $deb"
echo "sha256 $second $copy/build/release/${deb##*/}"
[[ $first == "$second" ]] || fail "two builds of one tree differ (diffoscope them)"
ok "two builds, one sha256"
rm -rf "$copy"

step "cmake --install into a scratch prefix"
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
check_tree "$prefix" bin/skyquill libexec/skyquill share libexec/skyquill/SkyquillList.txt
[[ -s $prefix/share/doc/Skyquill/COPYING.wordlist ]] || fail "COPYING.wordlist not installed"
cmp -s "$prefix/share/doc/Skyquill/LICENSE" LICENSE || fail "LICENSE not installed"
[[ ! -e $prefix/games && ! -e $prefix/etc && ! -e /etc/skyquill ]] || fail "the package's layout leaked into a plain install"

step "an edited list through an upgrade, in a scratch dpkg root"
droot=$scratch/dpkg
mkdir -p "$droot/var/lib/dpkg/updates" "$droot/var/lib/dpkg/info"
touch "$droot/var/lib/dpkg/status"
dpkg_root() {
    local force=--force-depends
    (($(id -u) == 0)) || force+=,not-root
    PATH=/usr/local/sbin:/usr/sbin:/sbin:$PATH dpkg --root="$droot" --log=/dev/null "$force" "$@"
}
# The newer version: the same package, whose own list gained a word, so
# that dpkg has an edit of the player's and one of the package's to weigh.
newer=$scratch/newer
dpkg-deb -R "$deb" "$newer"
sed -i "s/^Version: .*/Version: $version+1/" "$newer/DEBIAN/control"
echo quillwort >>"$newer/etc/skyquill/SkyquillList.txt"
(cd "$newer" && find . -path ./DEBIAN -prune -o -type f -printf '%P\0' | sort -z | xargs -0 md5sum) >"$newer/DEBIAN/md5sums"
dpkg-deb --root-owner-group -b "$newer" "$scratch/newer.deb" >/dev/null
# Their output, without the complaints about dependencies missing there.
dpkg_root -i "$deb" >"$scratch/dpkg.log" 2>&1 || fail "dpkg -i $deb: $(cat "$scratch/dpkg.log")"
edited=$droot/etc/skyquill/SkyquillList.txt
printf 'quill\n' >"$edited"
dpkg_root --force-confold -i "$scratch/newer.deb" </dev/null >"$scratch/dpkg.log" 2>&1 ||
    fail "dpkg -i newer.deb: $(cat "$scratch/dpkg.log")"
grep -A 3 '^Configuration file' "$scratch/dpkg.log"
[[ $(dpkg-query --admindir="$droot/var/lib/dpkg" -W -f '${Version} ${db:Status-Abbrev}' skyquill) == "$version+1 ii " ]] ||
    fail "the newer version is not installed in $droot"
[[ $(cat "$edited") == quill ]] || fail "the upgrade replaced the edited list"
cmp -s "$edited.dpkg-dist" "$newer/etc/skyquill/SkyquillList.txt" || fail "the newer list is not kept beside it"
[[ $(readlink "$droot/usr/lib/games/skyquill/SkyquillList.txt") == /etc/skyquill/SkyquillList.txt ]] ||
    fail "the link beside the game is gone after the upgrade"
ok "installed $version, edited the list, upgraded to $version+1: the edit stays, the new list is $edited.dpkg-dist"

step "the launchers under Xvfb"
(
    set +e
    # shellcheck source=xvfb.sh
    source scripts/xvfb.sh
    x=$scratch/x
    mkdir -p "$x/cwd" "$x/runtime" && chmod 700 "$x/runtime"
    trap '[[ -n ${GAME_PID:-} ]] && kill "$GAME_PID" 2>/dev/null; x_stop' EXIT
    x_start "$x/xvfb.log" 90 99 || fail "Xvfb did not start on a display in :90-:99"
    yellow() { (($(x_sky "$1" "$x/shot.png" yellow | cut -d' ' -f1) > 20)); }
    won() { xdotool search --onlyvisible --name '^Congratulations!$' >/dev/null 2>&1; }

    # play <game> <word|""> <launcher> [FILE]: runs a launcher from an empty
    # directory: without FILE the list must come from beside the game (or
    # from the data directory, if the test put one there), and without one
    # the game would show "No Word List Found!". After New Game, a word must
    # fall; with <word>, the one word of a one-word list, typing it must win
    # the game, which no other list could give.
    play() {
        local game=$1 word=$2 launcher=$3 win i status
        x_run_game "$x" "${@:3}"
        win=$(x_wait_window " Tamsley's Skyquill Game" 15) || fail "$*: no game window"
        # The launcher execs the game, so the window belongs to the game
        # unpacked beside the list.
        [[ $(readlink "/proc/$GAME_PID/exe") == "$game" ]] ||
            fail "$launcher runs $(readlink "/proc/$GAME_PID/exe"), not $game"
        xdotool windowfocus --sync "$win" key ctrl+n
        x_within 5 yellow "$win" || fail "$*: no word falls after New Game"
        if [[ -n $word ]]; then
            for ((i = 0; i < 40; i++)); do won && break; xdotool type --delay 15 "$word"; sleep 0.2; done
            won || fail "$*: typing '$word' does not win"
            x_close_box "Congratulations!" 10 || fail "$*: the Congratulations! box stays open"
        fi
        xdotool windowfocus --sync "$win" key ctrl+x
        x_wait_exit 10
        status=$?
        GAME_PID=""
        ((status == 0)) || fail "Ctrl+X ended $game with status $status"
        echo "${*:3}: window open, a word falls${word:+, typing '$word' wins}"
    }
    deb_game=$root/usr/lib/games/skyquill/skyquill local_game=$prefix/libexec/skyquill/skyquill
    # The unpacked link points into the machine's /etc, which holds no list:
    # the unpacked one is passed as FILE.
    play "$deb_game" "" "$root/usr/games/skyquill" "$root/etc/skyquill/SkyquillList.txt"
    play "$local_game" "" "$prefix/bin/skyquill"
    printf 'quill\n' >"$x/quill.txt"
    play "$local_game" quill "$prefix/bin/skyquill" "$x/quill.txt"
    mkdir -p "$x/data/skyquill" && cp "$x/quill.txt" "$x/data/skyquill/SkyquillList.txt"
    play "$local_game" quill "$prefix/bin/skyquill"
    rm -r "$x/data"
    play "$droot/usr/lib/games/skyquill/skyquill" quill "$droot/usr/games/skyquill" "$edited"

    # refused <what> <launcher args>: the error box alone, then status 1.
    refused() {
        local what=$1 status
        x_run_game "$x" "${@:2}"
        x_wait_window "ERROR!!!" 15 >/dev/null || fail "$what: no error box"
        sleep 0.5
        xdotool search --onlyvisible --name "^ Tamsley's Skyquill Game\$" >/dev/null 2>&1 &&
            fail "$what: the game window shows beside the error box"
        kill -0 "$GAME_PID" || fail "$what: the game ended before OK"
        x_close_box "ERROR!!!" 10 || fail "$what: the error box stays open"
        x_wait_exit 10
        status=$?
        GAME_PID=""
        ((status == 1)) || fail "$what: status $status, not 1"
        echo "$what: the error box alone, then status 1"
    }
    refused "a missing FILE" "$prefix/bin/skyquill" "$x/missing.txt"
    # The player's list is refused, not passed over for the one beside the game.
    mkdir -p "$x/data/skyquill/SkyquillList.txt"
    refused "a player's own list that is no list" "$prefix/bin/skyquill"
    rm -r "$x/data"
    exit 0
) || fail "the launchers under Xvfb"
ok "the launchers open the game with the bundled list; FILE, the user's list and the upgraded conffile are played"

echo
echo "check-package.sh: $deb passed"
