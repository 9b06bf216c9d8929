// How often the game reads a short list in a legacy code page as its words:
// random lists of N words from a dictionary (one at least not ASCII),
// encoded in a code page, read back by uchardet alone, by ICU's detector
// alone, and by the game's codePageOf(). Outside CI; see code-page-survey.sh.
#include "core/code_page.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QStringConverter>

#include <uchardet.h>
#include <unicode/ucsdet.h>

#include <cstdio>
#include <cstdlib>

static QByteArray uchardetSays(const QByteArray& bytes)
{
    uchardet_t detector = uchardet_new();
    uchardet_handle_data(detector, bytes.constData(), static_cast<size_t>(bytes.size()));
    uchardet_data_end(detector);
    QByteArray name = uchardet_get_charset(detector);
    uchardet_delete(detector);
    return name;
}

static QByteArray icuSays(const QByteArray& bytes)
{
    UErrorCode status = U_ZERO_ERROR;
    UCharsetDetector* detector = ucsdet_open(&status);
    ucsdet_setText(detector, bytes.constData(), static_cast<int32_t>(bytes.size()), &status);
    const UCharsetMatch* match = ucsdet_detect(detector, &status);
    QByteArray name = match ? ucsdet_getName(match, &status) : "";
    ucsdet_close(detector);
    return name;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s DICTIONARY CODEPAGE LISTS WORDS\n", argv[0]);
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QStringList all = QString::fromUtf8(file.readAll()).split(QChar(u'\n'), Qt::SkipEmptyParts);
    QStringList accented;
    for (const QString& word : all)
        if (std::any_of(word.begin(), word.end(), [](QChar c) { return c.unicode() > 0x7F; }))
            accented.append(word);
    QRandomGenerator random(42);
    int lists = 0, uchardetRight = 0, icuRight = 0, gameRight = 0;
    const auto reads = [](const char* codePage, const QByteArray& bytes, const QString& text) {
        QStringDecoder decoder(codePage);
        return decoder.isValid() && QString(decoder(bytes)) == text;
    };
    for (int i = 0; i < std::atoi(argv[3]) && !accented.isEmpty(); ++i) {
        QStringList words{accented.at(random.bounded(accented.size()))};
        while (words.size() < std::atoi(argv[4]))
            words.append(all.at(random.bounded(all.size())));
        const QString text = words.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
        QStringEncoder encoder(argv[2]);
        const QByteArray bytes = encoder(text);
        if (encoder.hasError())
            continue;  // a word the code page can't hold
        ++lists;
        qsizetype high = std::find_if(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; }) - bytes.begin();
        high = qEnvironmentVariableIsSet("SURVEY_WHOLE") ? 0 : bytes.lastIndexOf('\n', high) + 1;
        uchardetRight += reads(uchardetSays(bytes).constData(), bytes, text);
        icuRight += reads(icuSays(bytes).constData(), bytes, text);
        const QByteArray game = skyquill::codePageOf(QByteArrayView(bytes).sliced(high).first(std::min<qsizetype>(bytes.size() - high, qEnvironmentVariableIntValue("SURVEY_SAMPLE") ?: 1 << 30)));
        const bool right = reads(game.constData(), bytes, text);
        gameRight += right;
        if (!right && qEnvironmentVariableIsSet("SURVEY_SHOW"))  // what each said of a list the game misread
            std::printf("  game %s, uchardet %s, ICU %s\n", game.constData(), uchardetSays(bytes).constData(), icuSays(bytes).constData());
    }
    std::printf("%-34s %-13s %4d lists of %2s words: uchardet %5.1f %%, ICU %5.1f %%, the game %5.1f %%\n", argv[1], argv[2], lists, argv[4],
                100.0 * uchardetRight / std::max(lists, 1), 100.0 * icuRight / std::max(lists, 1), 100.0 * gameRight / std::max(lists, 1));
}
