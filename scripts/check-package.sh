#!/usr/bin/env bash
# Builds the Debian package from the release build and checks what only the
# package shows: lintian and the validators, the word list as a conffile
# that keeps its edit through an upgrade, a second build giving the same
# bytes, the command line's answers, and the real-window walk played by the
# unpacked package's launcher. Everything happens in
# scratch roots; the machine's own /usr and /etc are never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
fail() { echo "FAIL: $*" >&2; exit 1; }
scratch=$(mktemp -d "${TMPDIR:-/tmp}/skyquill-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# Both builds are stamped with the last commit's time.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
cmake --workflow --preset deb
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' build/release/CMakeCache.txt)
deb=build/release/skyquill_${version}_$(dpkg --print-architecture).deb
lintian --fail-on error,warning,info "$deb" || fail "lintian has something to say"
for lib in libuchardet0 libcld2-0; do
  [[ $(dpkg-deb -f "$deb" Depends) == *"$lib"* ]] || fail "Depends does not name $lib"
done

root=$scratch/deb
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/skyquill.desktop" || fail "desktop-file-validate"
appstreamcli validate-tree --no-net "$root/usr" || fail "appstreamcli validate-tree"
[[ $(dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles) == /etc/skyquill/SkyquillList.txt &&
    $(readlink "$root/usr/lib/games/skyquill/SkyquillList.txt") == /etc/skyquill/SkyquillList.txt ]] ||
    fail "the word list is not a conffile with a link to it beside the game"

# Without a display, and for ten seconds at most: a game that opened its
# window here would abort, or wait on a box.
answers() { timeout 10 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/games/skyquill" "$@" >"$scratch/out" 2>&1; }
answers --help && [[ $(head -n 1 "$scratch/out") == 'Usage: skyquill [options] [FILE]' ]] || fail "--help: $(cat "$scratch/out")"
answers --version && [[ $(cat "$scratch/out") == "skyquill $version" ]] || fail "--version: $(cat "$scratch/out")"
for wrong in "--bogus|unknown option 'bogus'" "a.txt b.txt|extra operand 'b.txt'"; do
    status=0 && answers -platform offscreen ${wrong%|*} || status=$?
    [[ $status == 2 && $(cat "$scratch/out") == "skyquill: ${wrong#*|}"$'\n'"Try 'skyquill --help' for more information." ]] ||
        fail "${wrong%|*}: status $status, $(cat "$scratch/out")"
done

# The second build is made from a copy of the tree at another path.
copy=$scratch/copy
mkdir "$copy" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$copy" 2>/dev/null || true
(cd "$copy" && cmake --workflow --preset deb >"$scratch/copy.log" 2>&1) ||
    fail "the second build: $(tail -n 5 "$scratch/copy.log")"
cmp "$deb" "$copy/$deb" || fail "two builds of one tree differ"
rm -rf "$copy"

# An edited list survives an upgrade, in a scratch dpkg root.
droot=$scratch/dpkg newer=$scratch/newer
mkdir -p "$droot/var/lib/dpkg/updates" "$droot/var/lib/dpkg/info" && touch "$droot/var/lib/dpkg/status"
dpkg_root() { PATH=/usr/local/sbin:/usr/sbin:/sbin:$PATH dpkg --root="$droot" --log=/dev/null --force-depends,not-root "$@" >"$scratch/dpkg.log" 2>&1 || fail "dpkg $*: $(cat "$scratch/dpkg.log")"; }
dpkg-deb -R "$deb" "$newer"
sed -i "s/^Version: .*/Version: $version+1/" "$newer/DEBIAN/control"
dpkg-deb --root-owner-group -b "$newer" "$scratch/newer.deb" >/dev/null
dpkg_root -i "$deb"
printf 'quill\n' >"$droot/etc/skyquill/SkyquillList.txt"
dpkg_root -i "$scratch/newer.deb" </dev/null
[[ $(cat "$droot/etc/skyquill/SkyquillList.txt") == quill ]] || fail "the upgrade replaced the edited list"

bash tests/e2e/e2e.sh "$root/usr/games/skyquill" "$scratch/e2e" || fail "the walk, by the package's launcher"
echo "check-package.sh: $deb passed"
