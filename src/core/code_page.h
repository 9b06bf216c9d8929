// The code page of a list that is not UTF-8: the one the machine that saved
// it used for its language ("ANSI" on Windows).
#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace skyquill {

// The player's language as the locale names it (LC_ALL, LC_CTYPE, LANG),
// and the code page a list in it was most likely saved in: the locale's own
// where that is a legacy one (ru_RU.KOI8-R), else the one Windows saves the
// language's "ANSI" text in, where known. Both empty for a locale of no
// language (C.UTF-8).
struct PlayerLanguage {
    QByteArray language;  // as ICU names it: "lt", "sr_Latn", "zh_Hant"
    QByteArray codePage;
};
PlayerLanguage playerLanguage();

// The name QStringDecoder knows the code page of `sample` by: the player's
// where the sample reads as words of the player's language, else the one
// whose reading fits a language of its script best. Empty where this build
// or this machine has no detector (uchardet) and the player's code page does
// not fit. `sample` is a piece of the list that starts at the line of its
// first byte that is not ASCII.
QByteArray codePageOf(QByteArrayView sample, const PlayerLanguage& player);

}  // namespace skyquill
