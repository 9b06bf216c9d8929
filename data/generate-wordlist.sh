#!/bin/sh
# Regenerates SkyquillList.txt, the word list bundled with Skyquill, from
# Debian's wamerican-small dictionary (SCOWL; see README.md and
# COPYING.wordlist in this directory).
#
# Usage: generate-wordlist.sh [DICTIONARY [OUTPUT]]
#   DICTIONARY  defaults to /usr/share/dict/american-english-small
#   OUTPUT      defaults to SkyquillList.txt beside this script; "-" = stdout
#
# Rules:
#   1. keep only words made of lower-case a-z (drops proper nouns,
#      possessives and abbreviations), 4 to 9 letters long;
#   2. sort (byte order) and drop duplicates;
#   3. if more than MAX words remain, keep an evenly spaced sample of MAX
#      of them: the words at positions floor(i * N / MAX), i = 0 .. MAX-1;
#   4. shuffle with a Fisher-Yates shuffle driven by a fixed-seed
#      Park-Miller generator, so the result does not depend on the
#      machine, the awk implementation or the coreutils version.
# One word per line, LF line ends, final newline.
set -eu

MAX=10000
SEED=20261206

here=$(CDPATH='' cd -- "$(dirname -- "$0")" && pwd)
dict=${1:-/usr/share/dict/american-english-small}
out=${2:-"$here/SkyquillList.txt"}

if [ ! -r "$dict" ]; then
    echo "generate-wordlist.sh: cannot read dictionary '$dict'" >&2
    echo "(on Debian: apt-get install wamerican-small)" >&2
    exit 1
fi

LC_ALL=C
export LC_ALL

generate() {
    grep -E '^[a-z]{4,9}$' "$dict" | sort -u | awk -v max="$MAX" -v seed="$SEED" '
        { w[NR - 1] = $0 }
        END {
            n = NR
            if (n > max) {
                for (i = 0; i < max; i++) s[i] = w[int(i * n / max)]
                n = max
            } else {
                for (i = 0; i < n; i++) s[i] = w[i]
            }
            # Park-Miller "minimal standard" generator: every product stays
            # below 2^46, so it is exact in any awk (all use doubles).
            state = seed % 2147483647
            if (state <= 0) state += 2147483646
            for (i = n - 1; i > 0; i--) {
                state = (state * 16807) % 2147483647
                j = state % (i + 1)
                t = s[i]; s[i] = s[j]; s[j] = t
            }
            for (i = 0; i < n; i++) print s[i]
        }'
}

if [ "$out" = "-" ]; then
    generate
else
    tmp="$out.tmp.$$"
    trap 'rm -f "$tmp"' EXIT
    generate > "$tmp"
    mv "$tmp" "$out"
    trap - EXIT
    echo "wrote $(wc -l < "$out") words to $out"
fi
