#include "core/code_page.h"

#include <QByteArrayList>

#ifdef SKYQUILL_HAVE_UCHARDET
#include <QLibrary>
#include <QStringDecoder>

#include <cstdio>  // before CLD2's header, which needs FILE

#include <cld2/public/compact_lang_det.h>
#include <cld2/public/encodings.h>
#include <uchardet.h>
#include <unicode/ucsdet.h>
#include <unicode/uenum.h>
#include <unicode/uscript.h>
#include <unicode/ulocdata.h>
#include <unicode/uset.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <tuple>
#include <vector>
#endif

namespace skyquill {

namespace {

// The code pages each script's lists are saved in, the one Windows saves
// "ANSI" text in first, with the names detectors give them, and the
// languages Windows saves in that page.
struct Script {
    const char* pageNames;
    const char* languageNames;
    QByteArrayList pages() const { return QByteArray(pageNames).split(' '); }
    QByteArrayList languages() const { return QByteArray(languageNames).split(' '); }
};
constexpr Script kScripts[] = {
    {"windows-1252 ISO-8859-1 ISO-8859-15", "fr de es it pt nl da sv nb fi is ca ga"},
    {"windows-1250 ISO-8859-2 ISO-8859-16", "cs sk pl hu ro hr sl bs sr_Latn sq"},
    {"windows-1257 ISO-8859-13 ISO-8859-4", "lt lv et"},
    {"windows-1251 ISO-8859-5 KOI8-R KOI8-U IBM866 MAC-CYRILLIC", "ru uk be bg mk sr"},
    {"windows-1253 ISO-8859-7", "el"},
    {"windows-1254 ISO-8859-9", "tr"},
    {"windows-1255 ISO-8859-8", "he yi"},
    {"windows-1256 ISO-8859-6", "ar fa ur"},
    {"windows-874 TIS-620", "th"},
    {"windows-1258", "vi"},
    {"Shift_JIS EUC-JP", "ja"},
    {"GB18030 GBK GB2312", "zh"},
    {"Big5", "zh_Hant"},
    {"windows-949 EUC-KR UHC", "ko"},
};

}  // namespace

PlayerLanguage playerLanguage()
{
    // As the C library reads LC_CTYPE: the first of these that is set.
    QByteArray locale;
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"})
        if (locale = qgetenv(variable); !locale.isEmpty())
            break;
    // language[_TERRITORY][.codeset][@modifier]
    const qsizetype at = locale.indexOf('@');
    const QByteArray modifier = at < 0 ? QByteArray() : locale.mid(at + 1);
    locale.truncate(at < 0 ? locale.size() : at);
    const qsizetype dot = locale.indexOf('.');
    QByteArray codeset = dot < 0 ? QByteArray() : locale.mid(dot + 1);
    locale.truncate(dot < 0 ? locale.size() : dot);
    const QByteArrayList parts = locale.split('_');
    QByteArray language = parts.front();
    const QByteArray territory = parts.size() > 1 ? parts[1] : QByteArray();
    if (language == "zh" && (territory == "TW" || territory == "HK" || territory == "MO"))
        language = "zh_Hant";
    if (language == "sr" && modifier == "latin")
        language = "sr_Latn";
    if (language.isEmpty() || language == "C" || language == "POSIX")
        return {};
    PlayerLanguage player{language, {}};
    for (const Script& script : kScripts)
        if (script.languages().contains(language))
            player.codePage = script.pages().front();
    // A legacy locale saves in its own code page.
    const QByteArray normal = codeset.toLower().replace('-', "");
    if (!codeset.isEmpty() && normal != "utf8")
        player.codePage = codeset;
    return player;
}

#ifdef SKYQUILL_HAVE_UCHARDET
namespace {

const Script* scriptOf(QByteArrayView page)
{
    for (const Script& script : kScripts)
        for (QByteArrayView names(script.pageNames); !names.isEmpty();) {
            const qsizetype end = names.contains(' ') ? names.indexOf(' ') : names.size();
            if (names.first(end).compare(page, Qt::CaseInsensitive) == 0)
                return &script;
            names = names.sliced(std::min(end + 1, names.size()));
        }
    return nullptr;
}

// A language without its script: "sr" for "sr_Latn".
QByteArray baseOf(const QByteArray& language)
{
    return language.split('_').front();
}

// Whether `language` (as CLD2 names it, without a script) is one of the
// script's languages.
bool speaks(const Script& script, const QByteArray& language)
{
    const QByteArrayList languages = script.languages();
    return std::any_of(languages.begin(), languages.end(), [&language](const QByteArray& own) { return baseOf(own) == language; });
}

using Letters = std::unique_ptr<USet, decltype(&uset_close)>;

// A language's own letters as ICU's locale data lists them (or, with
// ULOCDATA_ES_AUXILIARY, those of the foreign words it borrows), in either case.
Letters lettersOf(const QByteArray& language, ULocaleDataExemplarSetType kind)
{
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<ULocaleData, decltype(&ulocdata_close)> data(ulocdata_open(language.constData(), &status), &ulocdata_close);
    Letters letters(ulocdata_getExemplarSet(data.get(), nullptr, USET_CASE_INSENSITIVE, kind, &status), &uset_close);
    if (U_FAILURE(status))
        return Letters(uset_openEmpty(), &uset_close);
    // A Latin alphabet takes the rest of ASCII's letters for foreign words.
    if (kind == ULOCDATA_ES_STANDARD && uset_contains(letters.get(), 'a'))
        uset_addRange(letters.get(), 'a', 'z'), uset_addRange(letters.get(), 'A', 'Z');
    // Romanian written before Unicode had ş and ţ with a cedilla.
    if (language == "ro")
        uset_addAllCodePoints(letters.get(), u"şţŞŢ", 4);
    uset_freeze(letters.get());
    return letters;
}

// How well a reading fits a language, best first: characters beyond ASCII,
// letters and controls that are none of its letters; letters it only
// borrows; capitals within a word. And how many letters beyond ASCII are
// its own.
struct Fit {
    qsizetype strange = 0, foreign = 0, capitals = 0, own = 0;
    qsizetype junk = 0, mixed = 0;  // as the reading has them
    bool operator<(const Fit& other) const
    {
        return std::tie(strange, foreign, capitals) < std::tie(other.strange, other.foreign, other.capitals);
    }
};

// A page's reading of a sample: how often each character occurs that a
// language may or may not count among its letters (those beyond ASCII, ASCII
// letters, controls), how many of them no language has as letters, and the
// capitals within words.
struct Reading {
    std::vector<std::pair<uint, qsizetype>> judged;  // by character
    qsizetype junk = 0, capitals = 0, mixed = 0;  // mixed: capitals right after a small letter
};

Reading readingOf(const QString& text)
{
    Reading reading;
    std::vector<uint> judged;
    bool inWord = false, afterSmall = false;
    for (const uint c : text.toUcs4()) {
        const bool letter = QChar::isLetter(c);
        if (c >= 0x80 || letter || (c < 0x20 && c != '\n' && c != '\r')) {
            judged.push_back(c);
            reading.junk += !letter && !QChar::isMark(c);
        }
        reading.capitals += inWord && QChar::isUpper(c);
        reading.mixed += afterSmall && QChar::isUpper(c);
        inWord = letter;
        afterSmall = QChar::isLower(c);
    }
    std::sort(judged.begin(), judged.end());
    for (auto at = judged.begin(); at != judged.end();) {
        const auto end = std::upper_bound(at, judged.end(), *at);
        reading.judged.emplace_back(*at, end - at);
        at = end;
    }
    return reading;
}

Fit fitOf(const Reading& reading, const USet* own, const USet* borrowed)
{
    Fit fit{.capitals = reading.capitals, .junk = reading.junk, .mixed = reading.mixed};
    for (const auto& [c, count] : reading.judged) {
        if (uset_contains(own, static_cast<UChar32>(c)))
            fit.own += c >= 0x80 ? count : 0;
        else
            (borrowed != nullptr && uset_contains(borrowed, static_cast<UChar32>(c)) ? fit.foreign : fit.strange) += count;
    }
    return fit;
}

// uchardet is loaded the first time a list needs it: most lists are UTF-8,
// and loading it at start-up would cost more than a tenth of reading the
// bundled list. Without it, there is no detector.
template <typename Function>
bool resolve(QLibrary& library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(library.resolve(name));
    return function != nullptr;
}

struct Uchardet {
    decltype(&uchardet_new) create;
    decltype(&uchardet_handle_data) handle;
    decltype(&uchardet_data_end) end;
    decltype(&uchardet_get_charset) charset;
    decltype(&uchardet_delete) destroy;
};

const Uchardet* uchardet()
{
    static const std::optional<Uchardet> loaded = []() -> std::optional<Uchardet> {
        QLibrary library(QStringLiteral("uchardet"), 0);
        Uchardet found{};
        if (resolve(library, "uchardet_new", found.create) && resolve(library, "uchardet_handle_data", found.handle) &&
            resolve(library, "uchardet_data_end", found.end) && resolve(library, "uchardet_get_charset", found.charset) &&
            resolve(library, "uchardet_delete", found.destroy))
            return found;
        return std::nullopt;
    }();
    return loaded ? &*loaded : nullptr;
}

// The language CLD2 (Chrome's detector) takes the words of `text` for, as
// ICU names it; empty without CLD2, which is loaded only when a tie needs it.
// A C++ library: its functions go by their mangled names.
QByteArray languageOfWords(const QString& text)
{
    using Detect = CLD2::Language (*)(const char*, int, bool, const CLD2::CLDHints*, int, CLD2::Language*, int*, double*,
                                      CLD2::ResultChunkVector*, int*, bool*);
    using Code = const char* (*)(CLD2::Language);
    static const std::optional<std::pair<Detect, Code>> cld2 = []() -> std::optional<std::pair<Detect, Code>> {
        QLibrary library(QStringLiteral("cld2"), 0);
        std::pair<Detect, Code> found{};
        if (resolve(library, "_ZN4CLD224ExtDetectLanguageSummaryEPKcibPKNS_8CLDHintsEiPNS_8LanguageEPiPdPSt6vectorINS_11ResultChunkESaISA_EES7_Pb",
                    found.first) &&
            resolve(library, "_ZN4CLD212LanguageCodeENS_8LanguageE", found.second))
            return found;
        return std::nullopt;
    }();
    if (!cld2)
        return {};
    const QByteArray utf8 = text.toUtf8();
    const CLD2::CLDHints hints{nullptr, nullptr, CLD2::UNKNOWN_ENCODING, CLD2::UNKNOWN_LANGUAGE};
    std::array<CLD2::Language, 3> languages{};
    std::array<int, 3> percents{};
    std::array<double, 3> scores{};
    int bytes = 0;
    bool reliable = false;
    // A short list gets an answer, however unsure, rather than none.
    const QByteArray code = cld2->second(cld2->first(utf8.constData(), static_cast<int>(utf8.size()), true, &hints, CLD2::kCLDFlagBestEffort,
                                                     languages.data(), percents.data(), scores.data(), nullptr, &bytes, &reliable));
    // CLD2 keeps two codes ISO 639 has since changed.
    return code == "iw" ? "he" : code == "no" ? "nb" : code;
}

QByteArray askUchardet(const Uchardet& library, QByteArrayView sample)
{
    const std::unique_ptr<std::remove_pointer_t<uchardet_t>, decltype(library.destroy)> detector(library.create(), library.destroy);
    library.handle(detector.get(), sample.data(), static_cast<size_t>(sample.size()));
    library.end(detector.get());
    return library.charset(detector.get());
}

// ICU's detector: every code page it knows, likeliest first.
QByteArrayList askIcu(QByteArrayView sample)
{
    QByteArrayList names;
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UCharsetDetector, decltype(&ucsdet_close)> detector(ucsdet_open(&status), &ucsdet_close);
    ucsdet_setText(detector.get(), sample.data(), static_cast<int32_t>(sample.size()), &status);
    int32_t count = 0;
    const UCharsetMatch** matches = ucsdet_detectAll(detector.get(), &count, &status);
    for (int32_t i = 0; U_SUCCESS(status) && i < count; ++i)
        names.append(ucsdet_getName(matches[i], &status));
    return names;
}

bool icuDetects(const Script& script)
{
    static const QByteArrayList detectable = [] {
        QByteArrayList names;
        UErrorCode status = U_ZERO_ERROR;
        const std::unique_ptr<UCharsetDetector, decltype(&ucsdet_close)> detector(ucsdet_open(&status), &ucsdet_close);
        const std::unique_ptr<UEnumeration, decltype(&uenum_close)> all(ucsdet_getAllDetectableCharsets(detector.get(), &status), &uenum_close);
        while (const char* name = U_SUCCESS(status) ? uenum_next(all.get(), nullptr, &status) : nullptr)
            names.append(name);
        return names;
    }();
    const QByteArrayList pages = script.pages();
    return std::any_of(pages.begin(), pages.end(), [](const QByteArray& page) { return detectable.contains(page); });
}

// The reading that fits best of those it is shown, the first on a tie.
class Judge {
    // A reading that fits as well as the best: its page, its language, its text.
    struct Tie {
        QByteArray page, language;
        QString text;
    };

public:
    explicit Judge(QByteArrayView sample) : sample_(sample) {}

    // The sample read in `page`, as words of each of `languages`, with the
    // letters of their foreign words where `borrowing`.
    void consider(const QByteArray& page, const QByteArrayList& languages, bool borrowing)
    {
        QStringDecoder decoder(page.constData());
        if (!decoder.isValid())
            return;
        QString text = decoder(sample_);
        // A language's letters are composed; Windows-1258 writes Vietnamese
        // tones as marks after the letter.
        if (std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isMark(); }))
            text = text.normalized(QString::NormalizationForm_C);
        const Reading reading = readingOf(text);
        // What no language has among its letters, and the capitals, any
        // language's fit counts: once that is worse than the best, no
        // language of this reading can win or tie; once it is no better, it
        // can only tie, which goes to the best but between scripts of one
        // alphabet (Windows-1250 and Windows-1252, not Hebrew and Greek).
        const Fit least{.strange = reading.junk, .capitals = reading.capitals};
        const Script* script = scriptOf(page);
        const bool openTie = script != bestScript_ && alphabet(script) == alphabet(bestScript_);
        for (const QByteArray& language : languages) {
            if (!best_.isEmpty() && (fit_ < least || (!openTie && !(least < fit_))))
                return;
            const USet* own = letters(language, ULOCDATA_ES_STANDARD);
            const USet* borrowed = borrowing ? letters(language, ULOCDATA_ES_AUXILIARY) : nullptr;
            const Fit fit = fitOf(reading, own, borrowed);
            if (best_.isEmpty() || fit < fit_) {
                std::tie(best_, bestScript_, fit_) = std::tuple(page, script, fit);
                tied_.clear();
            }
            if (!(fit_ < fit))
                tied_.push_back({page, language, text});
        }
    }

    // Of the readings that fit best, the first, unless each is words of a
    // language and CLD2 takes the first's for none of its script's languages
    // and another's for one that reading fits: where the letters can't tell
    // (č in Windows-1250 is è in Windows-1252), the words can.
    QByteArray best() const
    {
        if (fit_.strange > 0 || std::all_of(tied_.begin(), tied_.end(), [this](const Tie& tie) { return tie.page == best_; }))
            return best_;
        std::map<QByteArray, QByteArray> said;  // a page's reading, as CLD2 takes its words
        const auto wordsOf = [&said](const Tie& tie) {
            const auto [at, asked] = said.try_emplace(tie.page);
            if (asked)
                at->second = languageOfWords(tie.text);
            return at->second;
        };
        if (speaks(*bestScript_, wordsOf(tied_.front())))
            return best_;
        for (const Tie& tie : tied_)
            if (baseOf(tie.language) == wordsOf(tie))
                return tie.page;
        return best_;
    }

    // Each page of the script `name` belongs to, as words of its languages.
    void considerScript(QByteArrayView name)
    {
        const Script* script = scriptOf(name);
        if (script == nullptr || std::find(seen_.begin(), seen_.end(), script) != seen_.end())
            return;
        seen_.push_back(script);
        for (const QByteArray& page : script->pages())
            consider(page, script->languages(), false);
    }

    // Letters, in words of one case or capitalised (NATO, Paris): nothing no
    // language has as a letter, no capital after a small letter. Clean:
    // words of a language, all small but for a capital first.
    bool lettered() const { return !best_.isEmpty() && fit_.junk == 0 && fit_.mixed == 0; }
    bool clean() const { return lettered() && fit_.strange == 0 && fit_.capitals == 0; }
    bool strange() const { return !best_.isEmpty() && fit_.strange > 0; }
    // The script of the language CLD2 takes the best reading's words for.
    const Script* scriptOfWords() const
    {
        const QByteArray words = tied_.empty() ? QByteArray() : languageOfWords(tied_.front().text);
        const auto* script = std::find_if(std::begin(kScripts), std::end(kScripts), [&words](const Script& s) { return speaks(s, words); });
        return script == std::end(kScripts) ? nullptr : script;
    }
    // The first of the readings that fit best.
    QByteArray firstBest() const { return best_; }
    // Words of the language: some of its own letters beyond ASCII, no fewer
    // than those of foreign words, and nothing strange.
    bool fits() const { return !best_.isEmpty() && fit_.strange == 0 && fit_.own > 0 && fit_.foreign <= fit_.own; }

private:
    // The alphabet a script's languages are written in: Latin for
    // Windows-1250 and Windows-1252 alike.
    UScriptCode alphabet(const Script* script)
    {
        auto [at, asked] = alphabets_.try_emplace(script, USCRIPT_INVALID_CODE);
        UErrorCode status = U_ZERO_ERROR;
        if (asked && script != nullptr)
            uscript_getCode(script->languages().front().constData(), &at->second, 1, &status);
        return at->second;
    }

    const USet* letters(const QByteArray& language, ULocaleDataExemplarSetType kind)
    {
        auto& letters = letters_.try_emplace({language, kind}, nullptr, &uset_close).first->second;
        if (!letters)
            letters = lettersOf(language, kind);
        return letters.get();
    }

    QByteArrayView sample_;
    std::map<std::pair<QByteArray, ULocaleDataExemplarSetType>, Letters> letters_;
    std::vector<const Script*> seen_;
    std::map<const Script*, UScriptCode> alphabets_;
    QByteArray best_;
    const Script* bestScript_ = nullptr;
    Fit fit_;
    std::vector<Tie> tied_;  // the readings that fit as well as the best, in the order shown
};

}  // namespace

QByteArray codePageOf(QByteArrayView sample, const PlayerLanguage& player)
{
    // A list in the player's language, foreign names and all, is read in the
    // player's code page, as the player's own Windows would read it, or in
    // another page of the same script where that one fits it better.
    if (!player.language.isEmpty()) {
        Judge own(sample);
        own.consider(player.codePage, {player.language}, true);
        // A legacy locale's own page is the only one its machine saves in. A
        // language whose page this table doesn't name may be in any.
        const Script* script = scriptOf(player.codePage);
        if (script != nullptr && script->pages().front() == player.codePage)
            for (const QByteArray& page : script->pages())
                own.consider(page, {player.language}, true);
        if (player.codePage.isEmpty())
            for (const Script& any : kScripts)
                own.consider(any.pages().front(), {player.language}, true);
        if (own.fits())
            return own.firstBest();
    }
    const Uchardet* library = uchardet();
    if (library == nullptr)
        return {};
    // Otherwise the page whose reading fits one of its languages best, of:
    // the script both detectors name, where they agree; Windows-1252's, as
    // Western lists have always been read; then the scripts either names,
    // likeliest first. A tie goes by the language of the words.
    const QByteArray uchardetSays = askUchardet(*library, sample);
    const QByteArrayList icuSays = askIcu(sample);
    Judge judge(sample);
    if (!icuSays.isEmpty() && scriptOf(uchardetSays) == scriptOf(icuSays.front()))
        judge.considerScript(uchardetSays);
    judge.considerScript("windows-1252");
    judge.considerScript(uchardetSays);
    for (const QByteArray& name : icuSays)
        judge.considerScript(name);
    // Where even the best reading holds letters strange to its languages,
    // the language CLD2 takes its words for may name a script neither did.
    if (judge.strange())
        if (const Script* script = judge.scriptOfWords())
            judge.considerScript(script->pages().front());
    // ICU ranks every script it knows, but knows no Baltic, Thai or
    // Vietnamese page, and uchardet often misses them in a short list. Where
    // no script named reads even as letters in their case, one of those that
    // reads as clean words wins.
    if (!judge.lettered()) {
        Judge others(sample);
        for (const Script& script : kScripts)
            if (!icuDetects(script))
                others.considerScript(script.pages().front());
        if (others.clean())
            return others.best();
    }
    return judge.best();
}

#else

QByteArray codePageOf(QByteArrayView /*sample*/, const PlayerLanguage& /*player*/)
{
    return {};
}

#endif

}  // namespace skyquill
