// An arbitrary word against an arbitrary script of keys (typed anywhere in
// the entry), pastes, ticks and commands; every outcome is checked against
// the rules by the same checker as the session test.
#include "support/game_checker.h"

#include <array>
#include <cstdio>
#include <cstdlib>

namespace {

// Case mappings and encodings that trip up typing rules: sharp s, final
// sigma, dotted and dotless i, a ligature, a titlecase digraph, surrogates
// (lone and paired), the BOM, non-characters, controls, Backspace and Esc.
constexpr std::array<char16_t, 24> kTricky = {8,      27,     0,      9,      13,     127,    u'ß',  0x1E9E,
                                              u'ς',   u'σ',   0x0130, 0x0131, 0xFB01, 0x01C5, 0x0390, u'é',
                                              u'ж',   0xD801, 0xDC28, 0xDE00, 0xFEFF, 0xFFFF, 0x00A0, u' '};

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    std::uint8_t byte() { return at < size ? data[at++] : 0; }
    char16_t unit(const QString& word)
    {
        const std::uint8_t kind = byte();
        if (kind % 4U == 0 && !word.isEmpty())  // a letter of the word, in either case
            return (kind & 0x80U) != 0 ? word.at(byte() % word.size()).toLower().unicode()
                                       : word.at(byte() % word.size()).unicode();
        if (kind % 4U == 1)
            return static_cast<char16_t>(u'a' + byte() % 26U);
        if (kind % 4U == 2)
            return kTricky.at(byte() % kTricky.size());
        return static_cast<char16_t>(byte() | byte() << 8U);
    }
    QString text(const QString& word)
    {
        QString s;
        for (int n = byte() % 9; n > 0; --n)
            s.append(QChar(unit(word)));
        return s;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using skyquill::testing::CheckedGame;
    Input in{data, size};
    const QString word = in.text({}) + QChar(u'a' + in.byte() % 26U);
    CheckedGame game({word, QStringLiteral("dog")});
    game.newGame();
    while (in.at < in.size && game.failure().empty()) {
        const QString shown = game.form.lblWord.caption();
        const QString entry = game.form.txtWord.text();
        const qsizetype at = in.byte() % (entry.size() + 1);
        switch (in.byte() % 9U) {
        case 0:
        case 1:  // the right next letter
            game.type(entry.size() < shown.size() ? shown.at(entry.size()).toLower().unicode() : u'!');
            break;
        case 2:
        case 3:
            game.type(in.unit(shown), at);
            break;
        case 4:
            game.edit(QString(entry).insert(at, in.text(shown)));
            break;
        case 5:
            game.edit(QString(entry).remove(at, in.byte() % 4));
            break;
        case 6:
            for (int n = in.byte(); n > 0; --n)
                game.tick();
            break;
        case 7:
            game.pause();
            break;
        default:
            in.byte() % 8U == 0 ? game.newGame() : game.help(in.byte() % 2U == 0);
            break;
        }
    }
    if (!game.failure().empty()) {
        std::fprintf(stderr, "%s\n", game.failure().c_str());
        std::abort();
    }
    return 0;
}
