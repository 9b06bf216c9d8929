// The word list from bytes to the game's table: texts read alike in every
// encoding, at the real read size and in small reads, 8-bit files, and
// start-up with the files that are and are not word lists. The table is read
// as the fuzz target reads its inputs, and is its seeds.
#include "core/word_list.h"
#include "core/scripted_platform.h"
#include "core/read_words.h"

#include <QDir>
#include <QFile>
#include <QStringConverter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

static void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace skyquill {
namespace {

using namespace Qt::StringLiterals;
using Words = std::optional<std::vector<QString>>;  // none: not a word list

// "word00000" and on, nine characters each: the words of a list of realistic size.
QStringList numbered(int count)
{
    QStringList words;
    while (words.size() < count)
        words.append(u"word%1"_s.arg(words.size(), 5, 10, QChar(u'0')));
    return words;
}

Words listed(const QStringList& words) { return std::vector<QString>(words.begin(), words.end()); }

QByteArray utf16(const QString& text, bool little)
{
    using enum QStringConverter::Encoding;
    return QStringEncoder(little ? Utf16LE : Utf16BE, QStringConverter::Flag::WriteBom)(text);
}

TEST(WordList, ReadsUtf8OrElseWindows1252AndUtf16WithABom)
{
    const QString letters(kMaxLineChars, u'x');
    const QString emoji = u"😀"_s.repeated(kMaxLineChars / 2);  // two code units each
    const QString han(kMaxLineChars, u'漢');                    // three bytes each in UTF-8
    // The first and last characters of three and four bytes, and those around the surrogates.
    const QString edges = u"\u0800\uD7FF\uE000\uFFFD\U00010000\U0010FFFF"_s;
    const std::pair<QString, Words> texts[] = {
        // A word stored decomposed is read as stored: it is shown in NFC.
        {u"  apple\r\nBanana\t\n\n \t\v\f \r\rice cream\rpear  \ncafe\u0301 😀\r\n\v\f Apple  \n"_s,
         Words{{u"apple"_s, u"Banana"_s, u"ice cream"_s, u"pear"_s, u"cafe\u0301 😀"_s, u"Apple"_s}}},
        // Lines that can't be typed are skipped; a line's leading mark (files joined with cat) is dropped.
        {u"eof\x1A\nunit\x1Fsep\nform\ffeed\n\t\vends\f\ndel\x7F\n\u0081c1\nc1\u009F\n\u00A0nbsp\n\uFEFF\n\uFEFF \tone\n"
         u"\uFEFF\uFEFFtwo\nmid\uFEFFdle\nlast\x1A"_s,
         Words{{u"ends"_s, u"\u00A0nbsp"_s, u"one"_s, u"\uFEFFtwo"_s, u"mid\uFEFFdle"_s}}},
        // The limit counts the whole line, blanks included.
        {u"a\n"_s + letters + u"\r\n"_s + emoji + u'\n' + han + u"\n"_s + edges, Words{{u"a"_s, letters, emoji, han, edges}}},
        {u' ' + letters, std::nullopt},
        {emoji + u"😀"_s, std::nullopt},
        {u"ab\nc"_s + QChar(0) + u"d\n"_s, std::nullopt},
        {QString(5 * kMaxLineChars, u'q'), std::nullopt},
        // Reading stops at the 10,000th word: what follows changes nothing.
        {numbered(100000).join(u'\n'), listed(numbered(kMaxWords))},
        {numbered(kMaxWords).join(u'\n') + u'\n' + QString(5 * kMaxLineChars, u'q') + QChar(0), listed(numbered(kMaxWords))},
    };
    const Words okEnd{{u"ok"_s, u"end"_s}};
    std::vector<std::pair<QByteArray, Words>> rows = {
        {"caf\xC3\xA9\ncaf\xE9\n", Words{{u"cafÃ©"_s, u"café"_s}}},  // one line not UTF-8: all of it Windows-1252
        {"\xC2\x85\n\xC3\x81\n\xE9", Words{{u"Â…"_s, u"é"_s}}},  // U+0085 is a control in UTF-8, 0x81 in Windows-1252
        {QByteArray(kMaxLineChars, '\xE9') + "\n" + QByteArray(kMaxLineChars + 1, '\xE9'), std::nullopt},
        {"\xEF\xBB\n\xFF\n\xFE", Words{{u"ï»"_s, u"ÿ"_s, u"þ"_s}}},  // not quite marks
        {"\x81\n\x8D\n\x8F\n\x90\n\x9D\n\x80\x9F\xE9", Words{{u"€Ÿé"_s}}},  // the five bytes it leaves undefined
        {QByteArray("\xFF\xFE" "a\0\n\0b", 7), std::nullopt},  // an odd byte count
        // After the UTF-8 mark a line that is not UTF-8 is skipped: the lead
        // bytes' edges for two, three and four bytes, a stray continuation byte, cut short.
        {"\xEF\xBB\xBFok\n\xC0\xAF\n\xC1\xBF\n\xE0\x9F\xBF\n\xED\xA0\x80\n\xED\xBF\xBF\n\xF0\x8F\xBF\xBF\n\xF4\x90\x80\x80\n"
         "\xF5\x80\x80\x80\n\xFF\n\x80\n\xC3\n\xE6\xBC\n\xF0\x9F\x98\nend", okEnd},
    };
    // Windows-1252 with CR LF, eleven bytes a line: the first accented word
    // on the first line, on the last line the first read holds whole, or on
    // the line cut by its end.
    for (const int line : {0, int{kReadChunkBytes / 11} - 1, int{kReadChunkBytes / 11}}) {
        QStringList words = numbered(line + 300);
        words[line][1] = u'ö';
        rows.emplace_back(words.join(u"\r\n"_s).toLatin1(), listed(words));
    }
    for (const auto& [text, words] : texts)
        for (const QByteArray& bytes : {text.toUtf8(), "\xEF\xBB\xBF" + text.toUtf8(), utf16(text, true), utf16(text, false)})
            rows.emplace_back(bytes, words);
    // In UTF-16, a line with half a pair is skipped: alone, or the two in the wrong order.
    for (const bool little : {true, false})
        rows.emplace_back(utf16(u"ok\n\xD83D\n\xDE00\na\xD83D" u"b\n\xDE00\xD83D\nend"_s, little), okEnd);
    // Each row is one of the fuzz target's seeds, when it asks for them. Read a
    // byte at a time, every character and every CR LF is split across two
    // reads; at the real read size, a small list is read whole.
    const QString seeds = qEnvironmentVariable("SKYQUILL_FUZZ_SEEDS");
    for (const auto& [bytes, words] : rows) {
        QFile seed(seeds + u'/' + QString::number(qHash(bytes), 16));
        EXPECT_TRUE(seeds.isEmpty() || (seed.open(QIODevice::WriteOnly) && seed.write(bytes) == bytes.size()));
        for (const qint64 chunk : {kReadChunkBytes, qint64{64}, qint64{3}, qint64{1}})
            EXPECT_EQ(decode(bytes, chunk).first, words) << bytes.left(40).toHex().toStdString() << ", " << bytes.size() << " bytes in " << chunk;
    }
    // A line too long to be a word (refused above at 5,000 units) ends the
    // reading within the first two reads: memory stays flat however long it is.
    for (const QByteArray& huge : {QByteArray(1 << 20, 'q'), "\xFF\xFE" + QByteArray(1 << 20, 'q')})
        EXPECT_LE(decode(huge, kReadChunkBytes).second, 2 * kReadChunkBytes) << huge.left(2).toHex().toStdString();
    // Without ICU, Qt has no Windows-1252 decoder and the reader decodes it
    // itself: every byte as ICU does.
    for (int byte = 0; byte < 256; ++byte)
        EXPECT_EQ(decodeWindows1252(QByteArray(1, static_cast<char>(byte))), QString(QStringDecoder("windows-1252")(QByteArray(1, static_cast<char>(byte)))));
}

TEST(WordList, StartUpTakesTheFirstTenThousandWordsOfARegularFileBesideTheGame)
{
    QString list, own;  // in a new directory for each case
    const auto write = [&list](const QByteArray& bytes) {
        QFile file(list);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    // What the file is, how to make it, and how many words start-up finds (-1: refused).
    const std::tuple<const char*, std::function<bool()>, int> cases[] = {
        {"an empty list", [&] { return write({}); }, 0},
        {"10,001 words, and lines that can't be typed between them", [&] { return write(numbered(kMaxWords + 1).join(u"\n\t\x1A\n"_s).toUtf8()); }, kMaxWords},
        {"no list", [] { return true; }, -1},
        {"a directory", [&] { return QDir().mkdir(list); }, -1},
        {"the player's own list is no list: it is refused, not passed over", [&] { return write("lark") && QDir().mkdir(own); }, -1},
#ifdef Q_OS_UNIX
        {"a device", [&] { return QFile::link(u"/dev/null"_s, list); }, -1},
        {"a file whose first read fails", [&] { return QFile::link(u"/proc/self/mem"_s, list); }, -1},
        {"a FIFO, which is refused without waiting for a writer", [&] { return ::mkfifo(QFile::encodeName(list).constData(), 0600) == 0; }, -1},
#endif
    };
    for (const auto& [what, make, count] : cases) {
        SCOPED_TRACE(what);
        const QTemporaryDir dir;
        list = dir.filePath(u"SkyquillList.txt"_s);
        own = dir.filePath(u"own"_s);
        ASSERT_TRUE(make());
        testing::ScriptedPlatform platform;
        platform.directory = dir.path();
        platform.userList = own;
        frmSkyquill form(platform);
        form.Form_Load();
        if (count >= 0)  // with no word, New Game says so and nothing starts
            form.mnuNewGame_Click();
        EXPECT_EQ(platform.exitStatus, count < 0 ? 1 : -1);
        const QString box = count < 0 ? u"ERROR!!!: No Word List Found!"_s : u"ERROR!!!: The Word List Is Empty!"_s;
        EXPECT_EQ(platform.boxes, count > 0 ? std::vector<QString>{} : std::vector{box});
        EXPECT_EQ(form.tmrSkyquill.enabled(), count > 0);
        EXPECT_EQ(form.state().intWordCount, std::max(count, 0));
        EXPECT_EQ(form.state().strWordList[kMaxWords], count > 0 ? u"word09999"_s : QString());
        EXPECT_EQ(platform.seeds, std::vector{platform.time});
    }
}

}  // namespace
}  // namespace skyquill
