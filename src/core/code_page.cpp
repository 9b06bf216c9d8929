#include "core/code_page.h"

#ifdef SKYQUILL_HAVE_UCHARDET
#include <QLibrary>
#include <QStringDecoder>

#include <uchardet.h>
#include <unicode/ucsdet.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <memory>
#include <optional>
#include <utility>
#include <vector>
#endif

namespace skyquill {

#ifdef SKYQUILL_HAVE_UCHARDET
namespace {

// uchardet is right far more often on Central European and Cyrillic lists,
// ICU's detector on Western ones. So uchardet names the code page, and
// where it names a Latin one other than Western, the answer it gives short
// Western lists too often, ICU is asked for a second opinion.
constexpr auto kLatin = std::to_array<QByteArrayView>({
    "ISO-8859-2", "ISO-8859-3", "ISO-8859-4", "ISO-8859-9", "ISO-8859-10", "ISO-8859-13", "ISO-8859-15", "ISO-8859-16",
    "WINDOWS-1250", "WINDOWS-1254", "WINDOWS-1257", "WINDOWS-1258", "IBM852", "MAC-CENTRALEUROPE", "VISCII", "TIS-620", "WINDOWS-874",
});

// The Windows code pages are preferred, as the game's original platform
// wrote those. Each ISO-8859 page with a Windows sibling for its script.
constexpr auto kSiblings = std::to_array<std::pair<QByteArrayView, QByteArrayView>>({
    {"ISO-8859-2", "WINDOWS-1250"}, {"ISO-8859-5", "WINDOWS-1251"}, {"ISO-8859-6", "WINDOWS-1256"},
    {"ISO-8859-7", "WINDOWS-1253"}, {"ISO-8859-8", "WINDOWS-1255"}, {"ISO-8859-9", "WINDOWS-1254"},
    {"ISO-8859-13", "WINDOWS-1257"}, {"TIS-620", "WINDOWS-874"},
});

// Names uchardet gives where a better or the same page goes by another name.
constexpr auto kRenamed = std::to_array<std::pair<QByteArrayView, QByteArrayView>>({
    {"ISO-8859-1", "WINDOWS-1252"},   // as browsers read it: 0x80-0x9F are letters, not controls
    {"UHC", "WINDOWS-949"},           // ICU's name for it
    {"KOI8-R", "KOI8-U"},             // the same letters, and Ukrainian's four more
    {"MAC-CYRILLIC", "WINDOWS-1251"}, // what it takes Russian in Windows-1251 for, now and then
});

template <std::size_t N>
const std::pair<QByteArrayView, QByteArrayView>* pairOf(const std::array<std::pair<QByteArrayView, QByteArrayView>, N>& table,
                                                        QByteArrayView name)
{
    const auto* found = std::find_if(table.begin(), table.end(), [&](const auto& pair) { return pair.first == name || pair.second == name; });
    return found == table.end() ? nullptr : found;
}

// Characters beyond ASCII that are not letters.
qsizetype oddOnes(QByteArrayView sample, QByteArrayView codePage)
{
    const QString text = QStringDecoder(codePage.toByteArray().constData())(sample);
    return std::count_if(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0x7F && !c.isLetter() && !c.isMark(); });
}

// ICU's detector: every code page it knows, likeliest first, with its
// confidence from 0 to 100.
using Opinion = std::vector<std::pair<QByteArray, int>>;

Opinion askIcu(QByteArrayView sample)
{
    Opinion opinion;
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UCharsetDetector, decltype(&ucsdet_close)> detector(ucsdet_open(&status), &ucsdet_close);
    ucsdet_setText(detector.get(), sample.data(), static_cast<int32_t>(sample.size()), &status);
    int32_t count = 0;
    const UCharsetMatch** matches = ucsdet_detectAll(detector.get(), &count, &status);
    for (int32_t i = 0; U_SUCCESS(status) && i < count; ++i)
        opinion.emplace_back(QByteArray(ucsdet_getName(matches[i], &status)).toUpper(), ucsdet_getConfidence(matches[i], &status));
    return opinion;
}

// The highest confidence ICU gives any of the names; 0 for pages it doesn't know.
int confidence(const Opinion& opinion, std::initializer_list<QByteArrayView> names)
{
    int most = 0;
    for (const auto& [name, value] : opinion)
        if (std::find(names.begin(), names.end(), name) != names.end())
            most = std::max(most, value);
    return most;
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
    return QByteArray(library.charset(detector.get())).toUpper();
}

// Where two readings show as few characters that are not letters, a Latin
// answer stands if ICU thinks it at least seven tenths as likely as Western.
bool icuConfirms(QByteArrayView sample, QByteArrayView answer)
{
    const Opinion icu = askIcu(sample);
    const auto* sibling = pairOf(kSiblings, answer);
    const int likely = sibling ? confidence(icu, {sibling->first, sibling->second}) : confidence(icu, {answer});
    const int western = confidence(icu, {"ISO-8859-1", "WINDOWS-1252"});
    return likely > 0 && likely * 10 >= western * 7;
}

}  // namespace

QByteArray codePageOf(QByteArrayView sample)
{
    const Uchardet* library = uchardet();
    if (library == nullptr)
        return {};
    QByteArray answer = askUchardet(*library, sample);
    // No answer, or not an 8-bit one: the sample is no UTF-8 or UTF-16.
    if (answer.isEmpty() || answer == "ASCII" || answer.startsWith("UTF-")) {
        const Opinion icu = askIcu(sample);
        answer = icu.empty() ? QByteArray() : icu.front().first;
    }
    if (const auto* renaming = pairOf(kRenamed, answer); renaming && renaming->first == answer)
        answer = renaming->second.toByteArray();
    // Of an ISO-8859 page and its Windows sibling, the one whose reading shows
    // fewer characters that are not letters. 0x80-0x9F are controls in
    // ISO-8859, so where they occur the Windows page is taken on a tie too.
    if (const auto* sibling = pairOf(kSiblings, answer)) {
        const QByteArrayView other = sibling->first == answer ? sibling->second : sibling->first;
        const qsizetype here = oddOnes(sample, answer), there = oddOnes(sample, other);
        const bool c1 = std::any_of(sample.begin(), sample.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80 && static_cast<unsigned char>(c) <= 0x9F; });
        if (there < here || (there == here && c1 && other == sibling->second))
            answer = other.toByteArray();
    }
    if (answer.isEmpty() || answer.startsWith("UTF-") || !QStringDecoder(answer.constData()).isValid())
        return QByteArrayLiteral("WINDOWS-1252");
    // Words are made of letters: a reading that shows more characters that
    // are not than Windows-1252's is not the list's, whoever named it.
    const qsizetype odd = oddOnes(sample, answer), western = oddOnes(sample, "WINDOWS-1252");
    const bool latin = std::find(kLatin.begin(), kLatin.end(), answer) != kLatin.end();
    if (odd > western || (odd == western && latin && !icuConfirms(sample, answer)))
        return QByteArrayLiteral("WINDOWS-1252");
    return answer;
}

#else

QByteArray codePageOf(QByteArrayView /*sample*/)
{
    return {};
}

#endif

}  // namespace skyquill
