// How often the game reads a short list in a legacy code page as its words:
// random lists of 5, 10 and 20 words from a dictionary (one at least not
// ASCII), saved in a code page and read back by the whole reader, once in
// the language's locale and once in C.UTF-8. Outside CI; see code-page-survey.sh.
#include "core/word_list.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QStringConverter>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s DICTIONARY CODEPAGE LOCALE LISTS\n", argv[0]);
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QStringList all = QString::fromUtf8(file.readAll()).normalized(QString::NormalizationForm_C).split(QChar(u'\n'), Qt::SkipEmptyParts);
    QStringList accented;
    for (const QString& word : all)
        if (std::any_of(word.begin(), word.end(), [](QChar c) { return c.unicode() > 0x7F; }))
            accented.append(word);
    const QByteArray codePage = argv[2], locale = argv[3];
    const int lists = std::atoi(argv[4]);
    std::printf("%-22s %-12s", argv[1] + QByteArray(argv[1]).lastIndexOf('/') + 1, argv[2]);
    for (const QByteArray& player : {locale, QByteArray("C.UTF-8")}) {
        qputenv("LC_ALL", player);
        for (const int size : {5, 10, 20}) {
            QRandomGenerator random(size);
            int made = 0, right = 0;
            for (int i = 0; made < lists && i < 10 * lists && !accented.isEmpty(); ++i) {
                QStringList words;
                while (words.size() < size - 1)
                    words.append(all.at(random.bounded(all.size())));
                words.insert(random.bounded(size), accented.at(random.bounded(accented.size())));
                QStringEncoder encoder(codePage.constData());
                QByteArray bytes = encoder(words.join(QStringLiteral("\r\n")));
                if (encoder.hasError())
                    continue;  // a word the code page can't hold
                ++made;
                QBuffer buffer(&bytes);
                buffer.open(QIODevice::ReadOnly);
                const skyquill::WordList list = skyquill::readWordList(buffer);
                right += list.words == std::vector<QString>(words.begin(), words.end());
                if (list.words != std::vector<QString>(words.begin(), words.end()) && qEnvironmentVariableIsSet("SURVEY_SHOW"))
                    std::printf("\n  %s %d: %s (%s)", player.constData(), size, QStringList(list.words.begin(), list.words.end()).join(u' ').toUtf8().constData(), words.join(u' ').toUtf8().constData());
            }
            std::printf(" %6.1f", 100.0 * right / std::max(made, 1));
        }
        std::printf(player == locale ? "  |" : "\n");
    }
}
