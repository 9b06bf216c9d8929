#!/usr/bin/env bash
# Surveys how often a short list in its language's code page is read right
# (code-page-survey.cpp), over Debian's word lists and hunspell dictionaries.
#   tools/code-page-survey.sh [WORDS [LISTS]]     (defaults: 10 words, 300 lists)
set -euo pipefail
cd "$(dirname "$0")/.."
words=${1:-10} lists=${2:-300} out=build/survey
mkdir -p "$out/dicts"
dicts=(wngerman wfrench wspanish witalian wportuguese wdutch wcatalan wdanish wpolish wukrainian wbulgarian
       hunspell-cs hunspell-sk hunspell-hu hunspell-ru hunspell-el hunspell-tr hunspell-he hunspell-ar)
missing=$(for p in "${dicts[@]}"; do dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok' || echo "$p"; done)
[[ -z $missing ]] || apt-get install -y -qq --no-install-recommends $missing >/dev/null
# A hunspell dictionary's words, without their affix flags, in UTF-8.
for l in cs_CZ sk_SK hu_HU ru_RU el_GR tr_TR he_IL ar; do
    enc=$(sed -n 's/^SET \([^ \r]*\).*/\1/p' "/usr/share/hunspell/$l.aff")
    tail -n +2 "/usr/share/hunspell/$l.dic" | cut -d/ -f1 | cut -f1 | iconv -f "$enc" -t UTF-8 | grep -v '[0-9]' >"$out/dicts/$l"
done
g++ -std=c++20 -O2 -fPIC -DSKYQUILL_HAVE_UCHARDET -Isrc tools/code-page-survey.cpp src/core/code_page.cpp -o "$out/survey" \
    $(pkg-config --cflags --libs Qt6Core uchardet icu-i18n)
d=/usr/share/dict h=$out/dicts
while read -r dict codepage; do
    "$out/survey" "$dict" "$codepage" "$lists" "$words"
done <<LISTS
$d/ngerman windows-1252
$d/french windows-1252
$d/spanish windows-1252
$d/italian windows-1252
$d/portuguese windows-1252
$d/dutch windows-1252
$d/catalan windows-1252
$d/danish windows-1252
$d/french ISO-8859-1
$d/polish windows-1250
$d/polish ISO-8859-2
$h/cs_CZ windows-1250
$h/cs_CZ ISO-8859-2
$h/sk_SK windows-1250
$h/hu_HU windows-1250
$d/ukrainian windows-1251
$h/ru_RU windows-1251
$h/ru_RU KOI8-R
$d/ukrainian KOI8-U
$d/bulgarian windows-1251
$h/el_GR windows-1253
$h/tr_TR windows-1254
$h/he_IL windows-1255
$h/ar windows-1256
LISTS
