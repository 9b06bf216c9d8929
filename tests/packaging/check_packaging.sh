#!/usr/bin/env bash
# Installs a configured and built Skyquill build tree into a scratch prefix
# and checks what lands there.
#
# Usage: check_packaging.sh BUILD_DIR
# Exits 0 when every check passes, 1 when any fails, 2 on bad usage.
set -u

if [ $# -ne 1 ] || [ ! -f "$1/CMakeCache.txt" ]; then
    echo "usage: $0 BUILD_DIR   (a configured and built Skyquill build tree)" >&2
    exit 2
fi
build=$(cd "$1" && pwd)

prefix=$(mktemp -d "${TMPDIR:-/tmp}/skyquill-install.XXXXXX") || exit 1
trap 'rm -rf "$prefix"' EXIT

failures=0
pass() { echo "ok:   $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# check <passed> <failed> <command...>: passes or fails on the command's status.
check() {
    local ok=$1 bad=$2
    shift 2
    if "$@"; then pass "$ok"; else fail "$bad"; fi
}

# Reads a value from the build's CMake cache, or prints the default.
cache_value() {
    local v
    v=$(sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt" | head -n 1)
    printf '%s\n' "${v:-$2}"
}

bindir=$(cache_value CMAKE_INSTALL_BINDIR bin)
libexecdir=$(cache_value CMAKE_INSTALL_LIBEXECDIR libexec)
datarootdir=$(cache_value CMAKE_INSTALL_DATAROOTDIR share)
srcdir=$(cd "$(dirname "$0")/../.." && pwd)
for d in "$bindir" "$libexecdir" "$datarootdir"; do
    case $d in
        /*) echo "install directory '$d' is absolute; it cannot be moved under a test prefix" >&2
            exit 1 ;;
    esac
done

echo "installing $build into $prefix"
if ! cmake --install "$build" --prefix "$prefix"; then
    echo "FAIL: cmake --install failed"
    exit 1
fi

launcher="$prefix/$bindir/skyquill"
game="$prefix/$libexecdir/skyquill/skyquill"
wordlist="$prefix/$libexecdir/skyquill/SkyquillList.txt"
desktop="$prefix/$datarootdir/applications/skyquill.desktop"
metainfo="$prefix/$datarootdir/metainfo/io.github.tamsley.Skyquill.metainfo.xml"
png="$prefix/$datarootdir/icons/hicolor/32x32/apps/skyquill.png"
svg="$prefix/$datarootdir/icons/hicolor/scalable/apps/skyquill.svg"

check_program() {
    if [ -f "$1" ] && [ -x "$1" ]; then pass "program $1"
    else fail "missing or not executable: $1"; fi
}
check_data() {
    if [ ! -f "$1" ] || [ ! -s "$1" ]; then fail "missing or empty: $1"
    elif [ -x "$1" ]; then fail "data file is executable: $1"
    else pass "file $1"; fi
}

check_program "$launcher"
check_program "$game"
for f in "$wordlist" "$desktop" "$metainfo" "$png" "$svg"; do
    check_data "$f"
done

# --- the game binary is really the built one, not a script or a copy of the launcher
if [ "$(uname -s)" = Linux ] && [ -f "$game" ] && [ "$(head -c 4 "$game" | od -An -c | tr -d ' \n')" != '177ELF' ]; then
    fail "$game is not an ELF executable"
fi

# --- the launcher: a sh script whose exec line starts the installed game
if [ -f "$launcher" ]; then
    if [ "$(head -n 1 "$launcher")" != "#!/bin/sh" ]; then
        fail "launcher does not start with #!/bin/sh"
    fi
    if ! sh -n "$launcher"; then
        fail "launcher has a shell syntax error"
    fi
    if grep -q '@[A-Za-z_]*@' "$launcher"; then
        fail "launcher still holds an unreplaced @VARIABLE@"
    fi
    exec_lines=$(grep -E '^[[:space:]]*exec[[:space:]]' "$launcher")
    if [ "$(printf '%s\n' "$exec_lines" | grep -c .)" -ne 1 ]; then
        fail "launcher should have exactly one exec line, found: ${exec_lines:-none}"
    else
        target=$(printf '%s\n' "$exec_lines" | sed -E 's/^[[:space:]]*exec[[:space:]]+"([^"]*)".*/\1/')
        if [ "$target" = "$exec_lines" ]; then
            fail "cannot read the quoted program path in: $exec_lines"
        elif [ "$target" != "$game" ]; then
            fail "launcher runs '$target', expected '$game'"
        elif [ ! -f "$target" ] || [ ! -x "$target" ]; then
            fail "launcher runs '$target', which is not an executable file"
        else
            pass "launcher runs $target"
        fi
        case $exec_lines in
            *'"$@"'*) pass "launcher passes its arguments on" ;;
            *) fail "launcher does not pass \"\$@\" on: $exec_lines" ;;
        esac
    fi
fi

# --- the word list: as shipped in the sources, and in the expected form
if [ -f "$wordlist" ]; then
    if [ -n "$srcdir" ] && [ -f "$srcdir/data/SkyquillList.txt" ]; then
        if cmp -s "$wordlist" "$srcdir/data/SkyquillList.txt"; then
            pass "installed word list matches data/SkyquillList.txt"
        else
            fail "installed word list differs from $srcdir/data/SkyquillList.txt"
        fi
    fi
    count=$(wc -l < "$wordlist")
    bad=$(LC_ALL=C grep -cvE '^[a-z]{4,9}$' "$wordlist")
    dups=$(LC_ALL=C sort "$wordlist" | uniq -d | wc -l)
    if [ "$count" -lt 1 ] || [ "$count" -gt 10000 ]; then
        fail "word list has $count lines (expected 1..10000)"
    elif [ "$bad" -ne 0 ]; then
        fail "word list has $bad lines that are not 4-9 lower-case letters (or has CR line ends)"
    elif [ "$dups" -ne 0 ]; then
        fail "word list has $dups duplicated words"
    elif [ "$(tail -c 1 "$wordlist" | od -An -c | tr -d ' ')" != '\n' ]; then
        fail "word list does not end with a newline"
    else
        pass "word list: $count words"
    fi
fi

# --- icons: a 32x32 PNG with an alpha channel, and an SVG
if [ -f "$png" ]; then
    # PNG signature, then the IHDR chunk: width, height, bit depth, colour type.
    sig=$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')
    ihdr=$(head -c 26 "$png" | tail -c 10 | od -An -tx1 | tr -d ' \n')
    if [ "$sig" != 89504e470d0a1a0a ]; then
        fail "$png is not a PNG file"
    elif [ "${ihdr:0:16}" != 0000002000000020 ]; then
        fail "$png is not 32x32 (IHDR $ihdr)"
    elif [ "${ihdr:18:2}" != 06 ]; then
        fail "$png is not RGBA (colour type ${ihdr:18:2})"
    else
        pass "32x32 RGBA PNG icon"
    fi
fi
if [ -f "$svg" ] && ! grep -q '<svg[[:space:]]' "$svg"; then
    fail "$svg holds no <svg> element"
fi

# --- the desktop entry and metadata agree with what was installed
if [ -f "$desktop" ]; then
    exec_key=$(sed -n 's/^Exec=//p' "$desktop")
    icon_key=$(sed -n 's/^Icon=//p' "$desktop")
    check "desktop Exec= names the installed launcher" \
        "desktop Exec='$exec_key', expected the launcher name 'skyquill'" \
        [ "${exec_key%% *}" = skyquill ]
    check "desktop Icon= names the installed icon" "desktop Icon='$icon_key', expected 'skyquill'" \
        [ "$icon_key" = skyquill ]
fi
if [ -f "$metainfo" ]; then
    check "metainfo launchable is the installed desktop file" "metainfo launchable does not name skyquill.desktop" \
        grep -q '<launchable type="desktop-id">skyquill.desktop</launchable>' "$metainfo"
    check "metainfo provides the installed binary" "metainfo does not provide <binary>skyquill</binary>" \
        grep -q '<binary>skyquill</binary>' "$metainfo"
fi

# --- the validators: validate <name> <pattern of a problem line> <command...>
validate() {
    local name=$1 problem=$2 out rc
    shift 2
    out=$("$@" 2>&1); rc=$?
    if [ $rc -ne 0 ] || printf '%s\n' "$out" | grep -qE "$problem"; then
        printf '%s\n' "$out"
        fail "$name"
    else
        pass "$name"
    fi
}
if command -v desktop-file-validate > /dev/null 2>&1; then
    validate desktop-file-validate '(error|warning):' desktop-file-validate "$desktop"
else
    echo "skip: desktop-file-validate not installed (Debian: desktop-file-utils)"
fi
if command -v appstreamcli > /dev/null 2>&1; then
    validate "appstreamcli validate" '^[EW]: ' appstreamcli validate --no-net "$metainfo"
    # The installed tree as a whole: metainfo, desktop file and icon together.
    validate "appstreamcli validate-tree" '^ *[EW]: ' appstreamcli validate-tree --no-net "$prefix"
else
    echo "skip: appstreamcli not installed (Debian: appstream)"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures packaging check(s) failed"
    exit 1
fi
echo "all packaging checks passed"
