#include "core/code_page.h"

#include <QByteArrayList>

#ifdef SKYQUILL_HAVE_UCHARDET
#include <QLibrary>
#include <QStringDecoder>

#include <uchardet.h>
#include <unicode/ucsdet.h>
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
    PlayerLanguage player;
    for (const Script& script : kScripts)
        if (script.languages().contains(language))
            player = {language, script.pages().front()};
    // A legacy locale saves in its own code page.
    const QByteArray normal = codeset.toLower().replace('-', "");
    if (!player.language.isEmpty() && !codeset.isEmpty() && normal != "utf8")
        player.codePage = codeset;
    return player;
}

#ifdef SKYQUILL_HAVE_UCHARDET
namespace {

const Script* scriptOf(QByteArrayView page)
{
    for (const Script& script : kScripts)
        for (const QByteArray& name : script.pages())
            if (name.compare(page, Qt::CaseInsensitive) == 0)
                return &script;
    return nullptr;
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
    std::map<uint, qsizetype> judged;
    qsizetype junk = 0, capitals = 0;
};

Reading readingOf(const QString& text)
{
    Reading reading;
    bool inWord = false;
    for (const uint c : text.toUcs4()) {
        const bool letter = QChar::isLetter(c);
        if (c >= 0x80 || letter || (c < 0x20 && c != '\n' && c != '\r')) {
            ++reading.judged[c];
            reading.junk += !letter && !QChar::isMark(c);
        }
        reading.capitals += inWord && QChar::isUpper(c);
        inWord = letter;
    }
    return reading;
}

Fit fitOf(const Reading& reading, const USet* own, const USet* borrowed)
{
    Fit fit{.capitals = reading.capitals};
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
        const auto get = [&library](const char* name, auto& function) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
            return function != nullptr;
        };
        Uchardet found{};
        if (get("uchardet_new", found.create) && get("uchardet_handle_data", found.handle) && get("uchardet_data_end", found.end) &&
            get("uchardet_get_charset", found.charset) && get("uchardet_delete", found.destroy))
            return found;
        return std::nullopt;
    }();
    return loaded ? &*loaded : nullptr;
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

// The reading that fits best of those it is shown, the first on a tie.
class Judge {
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
        // language's fit counts: once that is no better than the best, no
        // language of this reading can win.
        const Fit least{.strange = reading.junk, .capitals = reading.capitals};
        for (const QByteArray& language : languages) {
            if (!best_.isEmpty() && !(least < fit_))
                return;
            const USet* own = letters(language, ULOCDATA_ES_STANDARD);
            const USet* borrowed = borrowing ? letters(language, ULOCDATA_ES_AUXILIARY) : nullptr;
            if (const Fit fit = fitOf(reading, own, borrowed); best_.isEmpty() || fit < fit_)
                std::tie(best_, fit_) = std::pair(page, fit);
        }
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

    QByteArray best() const { return best_; }
    // Words of the language, where its own letters are no fewer than those of foreign words.
    bool fits() const { return !best_.isEmpty() && fit_.strange == 0 && fit_.foreign <= fit_.own; }

private:
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
    QByteArray best_;
    Fit fit_;
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
        // A legacy locale's own page is the only one its machine saves in.
        const Script* script = scriptOf(player.codePage);
        if (script != nullptr && script->pages().front() == player.codePage)
            for (const QByteArray& page : script->pages())
                own.consider(page, {player.language}, true);
        if (own.fits())
            return own.best();
    }
    const Uchardet* library = uchardet();
    if (library == nullptr)
        return {};
    // Otherwise the page whose reading fits one of its languages best, of:
    // the script both detectors name, where they agree; Windows-1252's, as
    // Western lists have always been read; then the scripts either names,
    // likeliest first.
    const QByteArray uchardetSays = askUchardet(*library, sample);
    const QByteArrayList icuSays = askIcu(sample);
    Judge judge(sample);
    if (!icuSays.isEmpty() && scriptOf(uchardetSays) == scriptOf(icuSays.front()))
        judge.considerScript(uchardetSays);
    judge.considerScript("windows-1252");
    judge.considerScript(uchardetSays);
    for (const QByteArray& name : icuSays)
        judge.considerScript(name);
    return judge.best();
}

#else

QByteArray codePageOf(QByteArrayView /*sample*/, const PlayerLanguage& /*player*/)
{
    return {};
}

#endif

}  // namespace skyquill
