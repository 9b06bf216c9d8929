#include "game/word_list.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

// Readable failure messages; static so it cannot clash with another test file.
static void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace skyquill {
namespace {

using namespace Qt::StringLiterals;
using Words = std::vector<QString>;

// Feeds the bytes in pieces of `chunk`, so that every boundary (inside a BOM,
// a CRLF pair, a UTF-16 code unit or a UTF-8 sequence) gets crossed somewhere.
std::optional<Words> decode(const QByteArray& bytes, qsizetype chunk = 1 << 30)
{
    WordListDecoder decoder;
    for (qsizetype at = 0; at < bytes.size(); at += chunk)
        decoder.feed(bytes.constData() + at, static_cast<std::size_t>(std::min(chunk, bytes.size() - at)));
    return decoder.finish();
}

QByteArray toUtf16(const QString& text, bool littleEndian)
{
    QByteArray bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (const QChar c : text) {
        const auto high = static_cast<char>(c.unicode() >> 8);
        const auto low = static_cast<char>(c.unicode() & 0xFF);
        bytes.append(littleEndian ? low : high).append(littleEndian ? high : low);
    }
    return bytes;
}

struct Encoding {
    const char* name;
    QByteArray (*encode)(const QString&);
};
void PrintTo(const Encoding& encoding, std::ostream* out) { *out << encoding.name; }

class AnyEncoding : public ::testing::TestWithParam<Encoding> {
protected:
    static QByteArray bytes(const QString& text) { return GetParam().encode(text); }
};

INSTANTIATE_TEST_SUITE_P(
    WordList, AnyEncoding,
    ::testing::Values(Encoding{"Utf8", [](const QString& t) { return t.toUtf8(); }},
                      Encoding{"Utf8Bom", [](const QString& t) -> QByteArray { return "\xEF\xBB\xBF" + t.toUtf8(); }},
                      Encoding{"Utf16Le", [](const QString& t) { return toUtf16(t, true); }},
                      Encoding{"Utf16Be", [](const QString& t) { return toUtf16(t, false); }}),
    [](const ::testing::TestParamInfo<Encoding>& info) { return std::string(info.param.name); });

TEST_P(AnyEncoding, ReadsOneTrimmedWordPerLineInAnyChunking)
{
    const QString text = u"  apple\r\nBanana\t\n\n \t\v\f \r\rice cream\rapple\n\v\f cherry  \ncafé 😀\r\nApple"_s;
    const Words expected = {u"apple"_s, u"Banana"_s, u"ice cream"_s, u"apple"_s,
                            u"cherry"_s, u"café 😀"_s, u"Apple"_s};
    for (const QString& tail : {u""_s, u"\n"_s, u"\r\n"_s, u"\r"_s, u" \r\n\n\t"_s}) {
        const QByteArray input = bytes(text + tail);
        for (const qsizetype chunk : {qsizetype{1}, qsizetype{2}, qsizetype{3}, qsizetype{5}, input.size()}) {
            SCOPED_TRACE(testing::Message() << "tail " << tail.toStdString() << ", chunk " << chunk);
            EXPECT_EQ(decode(input, chunk), expected);
        }
    }
}

TEST_P(AnyEncoding, SkipsLinesThatCannotBeTypedAndDropsALeadingMark)
{
    // Each line, and the word it gives; none if it is skipped.
    const std::pair<QString, QString> lines[] = {
        {u"eof\x1A"_s, {}},                  // a DOS end-of-file byte
        {u"form\ffeed"_s, {}},
        {u"tab\tinside"_s, {}},
        {u"\t\vends\f"_s, u"ends"_s},        // blanks at the ends are trimmed
        {u"del\x7F"_s, {}},
        {u"\u0081c1"_s, {}},                 // the C1 controls
        {u"c1\u0085"_s, {}},
        {u"c1\u009F"_s, {}},
        {u"\u00A0nbsp"_s, u"\u00A0nbsp"_s},  // the first character past them
        {u"\uFEFFtwo"_s, u"two"_s},           // a second file's mark, after cat
        {u"\uFEFF"_s, {}},
        {u"\uFEFF \tthree "_s, u"three"_s},
        {u"\uFEFF\uFEFFx"_s, u"\uFEFFx"_s},  // one mark only, and only at the start
        {u"mid\uFEFFdle"_s, u"mid\uFEFFdle"_s},
    };
    QString text;
    Words expected;
    for (const auto& [line, word] : lines) {
        text += line + u"\r\n"_s;
        if (!word.isEmpty())
            expected.push_back(word);
    }
    text += u"last\x1A"_s;
    EXPECT_EQ(decode(bytes(text)), expected);
    EXPECT_EQ(decode(bytes(text), 1), expected);
}

TEST_P(AnyEncoding, BlankInputIsAnEmptyList)
{
    for (const QString& text : {u""_s, u"\n"_s, u" \t\r\n\v\f\r\r\n"_s}) {
        EXPECT_EQ(decode(bytes(text), 1), Words{});
    }
}

TEST_P(AnyEncoding, LinesOverAThousandCodeUnitsAreNotAWordList)
{
    const QString letters(kMaxLineChars, u'x');
    const QString emoji = u"😀"_s.repeated(kMaxLineChars / 2);  // two code units each
    const QString han(kMaxLineChars, u'漢');                    // three bytes each in UTF-8
    for (const QString& longest : {letters, emoji, han}) {
        EXPECT_EQ(decode(bytes(u"a\n"_s + longest + u"\r\nb"_s)), (Words{u"a"_s, longest, u"b"_s}));
    }
    // The whole line counts, blanks around the word and blank lines included.
    for (const QString& tooLong : {letters + u'x', u' ' + letters, letters + u'\t', emoji + u"😀"_s, han + u'漢',
                                   QString(kMaxLineChars + 1, u' ')}) {
        EXPECT_FALSE(decode(bytes(u"a\n"_s + tooLong + u"\nb"_s)).has_value()) << tooLong.size();
    }
}

TEST_P(AnyEncoding, NulCharacterIsNotAWordList)
{
    EXPECT_FALSE(decode(bytes(u"ab\nc"_s + QChar(0) + u"d\n"_s)).has_value());
    EXPECT_FALSE(decode(bytes(u"ab\n"_s + QChar(0)), 1).has_value());
}

TEST_P(AnyEncoding, WantsNoMoreInputOnceFull)
{
    const QByteArray wanted = bytes(u"one\n\n two\r\nthree\r"_s);
    const QByteArray input = bytes(u"one\n\n two\r\nthree\r"_s + QChar(0) + QString(qsizetype{5} * kMaxLineChars, u'x'));
    WordListDecoder decoder(3);
    qsizetype fed = 0;
    while (fed < input.size() && decoder.feed(input.constData() + fed, 1))
        ++fed;
    EXPECT_EQ(fed + 1, wanted.size());  // the third word's line end was the last byte wanted
    EXPECT_FALSE(decoder.failed());
    EXPECT_FALSE(decoder.feed("x\n", 2));
    EXPECT_EQ(decoder.finish(), (Words{u"one"_s, u"two"_s, u"three"_s}));
}

TEST(EightBitWordList, NotUtf8MeansWindows1252ForTheWholeFile)
{
    EXPECT_EQ(decode("caf\xC3\xA9\n"), Words{u"café"_s});
    EXPECT_EQ(decode("caf\xC3\xA9\ncaf\xE9\n"), (Words{u"cafÃ©"_s, u"café"_s}));
    // Overlong, surrogate, truncated, past U+10FFFF, stray continuation byte.
    const std::pair<const char*, QString> notUtf8[] = {
        {"\xC0\xAF", u"À¯"_s}, {"\xED\xA0\x80", u"í\u00A0€"_s}, {"\xC3", u"Ã"_s},
        {"\xF4\xA0\x80\x80", u"ô\u00A0€€"_s}, {"\x80", u"€"_s}};
    for (const auto& [raw, text] : notUtf8) {
        EXPECT_EQ(decode(QByteArray("ok\n") + raw), (Words{u"ok"_s, text})) << raw;
        // With the UTF-8 mark the file says what it is: the line is skipped.
        EXPECT_EQ(decode(QByteArray("\xEF\xBB\xBFok\n") + raw + "\nend"), (Words{u"ok"_s, u"end"_s})) << raw;
    }
    EXPECT_EQ(decode("\xEF\xBB\xBF" "caf\xC3\xA9\ncaf\xE9\n"), Words{u"café"_s});
    // What a line holds depends on the encoding: U+0085 in UTF-8 reads "Â…"
    // in Windows-1252, and "Á" holds the control 0x81 there.
    EXPECT_EQ(decode("\xC2\x85\n\xC3\x81\n"), Words{u"Á"_s});
    EXPECT_EQ(decode("\xC2\x85\n\xC3\x81\n\xE9"), (Words{u"Â…"_s, u"é"_s}));
    // A line short enough only in UTF-8 is too long once the file is Windows-1252.
    const QByteArray han = QString(kMaxLineChars, u'漢').toUtf8();
    EXPECT_EQ(decode(han), Words{QString(kMaxLineChars, u'漢')});
    EXPECT_FALSE(decode(han + "\n\xE9").has_value());
}

TEST(EightBitWordList, Windows1252TableIsComplete)
{
    const char16_t c1[32] = {u'€', 0x81,  u'‚', u'ƒ', u'„', u'…', u'†', u'‡', u'ˆ', u'‰',  u'Š',
                             u'‹', u'Œ',  0x8D, u'Ž', 0x8F, 0x90, u'‘', u'’', u'“', u'”',  u'•',
                             u'–', u'—',  u'˜', u'™', u'š', u'›', u'œ', 0x9D, u'ž', u'Ÿ'};
    const auto cp1252 = [&c1](int byte) {
        return QChar(byte >= 0x80 && byte < 0xA0 ? c1[byte - 0x80] : static_cast<char16_t>(byte));
    };
    QByteArray input;
    Words expected;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        input.append(static_cast<char>(byte)).append('\n');
        if (cp1252(byte).category() != QChar::Other_Control)
            expected.emplace_back(cp1252(byte));  // the five C1 controls are skipped
    }
    EXPECT_EQ(expected.size(), 128U - 5U);
    EXPECT_EQ(decode(input), expected);  // 0xA0, a no-break space, is a word: only ASCII blanks are trimmed

    // Binary data without a NUL is text, whose lines hold controls: they are
    // skipped, and the list goes on after them.
    QByteArray binary;
    for (int byte = 1; byte <= 0xFF; ++byte) {
        if (byte != '\n' && byte != '\r')
            binary.append(static_cast<char>(byte));
    }
    EXPECT_EQ(decode(binary + '\n' + binary + "\nok"), Words{u"ok"_s});

    const QByteArray longest(kMaxLineChars, '\xE9');
    EXPECT_EQ(decode(longest), Words{QString(kMaxLineChars, u'é')});
    EXPECT_FALSE(decode(longest + '\xE9').has_value());
}

TEST(EightBitWordList, BomLookalikesAreText)
{
    for (const qsizetype chunk : {1, 1 << 30}) {
        EXPECT_EQ(decode("\xEF\xBB", chunk), Words{u"ï»"_s});
        EXPECT_EQ(decode("\xFF", chunk), Words{u"ÿ"_s});
        EXPECT_EQ(decode("\xFE\nx", chunk), (Words{u"þ"_s, u"x"_s}));
    }
}

TEST(EightBitWordList, OverlongRawLineFailsBeforeTheEnd)
{
    WordListDecoder decoder;
    const QByteArray line(qsizetype{4} * kMaxLineChars + 1, 'a');
    EXPECT_FALSE(decoder.feed(line.constData(), static_cast<std::size_t>(line.size())));
    EXPECT_TRUE(decoder.failed());
    EXPECT_FALSE(decoder.feed("\n", 1));
}

TEST(Utf16WordList, OddByteCountOrNoBomIsNotAWordList)
{
    EXPECT_EQ(decode(QByteArray("\xFF\xFE" "a\0\n\0b\0", 8)), (Words{u"a"_s, u"b"_s}));
    // Without a BOM, UTF-16 is taken for 8-bit text, and its ASCII letters' other halves are NULs.
    const QByteArray notWordLists[] = {QByteArray("\xFF\xFE" "a\0\n\0b", 7), QByteArray("\xFE\xFF" "\0a\0\n\0", 7),
                                       toUtf16(u"lark\nwren\n"_s, true).sliced(2),
                                       toUtf16(u"lark\nwren\n"_s, false).sliced(2)};
    for (const QByteArray& bytes : notWordLists) {
        for (const qsizetype chunk : {1, 1 << 30})
            EXPECT_FALSE(decode(bytes, chunk).has_value()) << bytes.toHex().toStdString() << ", chunk " << chunk;
    }
}

class WordListFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(file.write(bytes), bytes.size());
        return file.fileName();
    }
    QTemporaryDir dir;
};

TEST_F(WordListFile, ReadsARegularFile)
{
    EXPECT_EQ(readWordList(write(u"list.txt"_s, "\xEF\xBB\xBFsnow\r\n\r\nice cream")), (Words{u"snow"_s, u"ice cream"_s}));
    EXPECT_EQ(readWordList(write(u"empty.txt"_s, {})), Words{});
    EXPECT_EQ(readWordList(write(u"blank.txt"_s, " \n\t\r\n")), Words{});
}

TEST_F(WordListFile, RefusesAFifoWithoutWaitingForAWriter)
{
#ifdef SKYQUILL_PORTABLE_FILE
    GTEST_SKIP() << "QFile cannot open without blocking: the portable reader checks the type before it opens, "
                    "so a FIFO swapped in between would still wait for a writer";
#endif
    const QString fifo = dir.filePath(u"fifo"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // An alarm ends the child if it blocks.
    EXPECT_EXIT(
        {
            ::alarm(5);
            std::_Exit(readWordList(fifo) ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(WordListFile, RefusesAnythingButARegularFile)
{
    const QString socketPath = dir.filePath(u"socket"_s);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(socketPath).constData(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

    std::vector<QString> paths = {dir.filePath(u"missing.txt"_s), dir.path(), socketPath, u"/dev/null"_s,
                                  u"/dev/zero"_s, write(u"real.txt"_s, "word") + QChar(0) + u"x"_s};
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
        if (entry.is_block_file(error)) {
            paths.push_back(QString::fromStdString(entry.path().string()));
            break;
        }
    }
    if (QFile::exists(u"/proc/self/mem"_s)) {
        paths.push_back(u"/proc/self/mem"_s);  // a regular file whose first read fails
    }
    for (const QString& path : paths)
        EXPECT_FALSE(readWordList(path).has_value()) << path.toStdString();
    ::close(sock);
}

TEST_F(WordListFile, RefusesAnUnreadableFile)
{
    const QByteArray path = QFile::encodeName(write(u"locked.txt"_s, "word\n"));
    ASSERT_EQ(::chmod(path.constData(), 0), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    // Root reads anything, so look as an unprivileged user, in a child process.
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && ::setuid(65534) != 0)
                std::_Exit(2);
            std::_Exit(readWordList(QFile::decodeName(path)) ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(WordListFile, ReadsOnlyTheFirstTenThousandWords)
{
    const auto wordList = [](int count, const char* between) {
        std::pair<QByteArray, Words> list;
        for (int i = 0; i < count; ++i) {
            list.first += "word" + QByteArray::number(i) + between;
            list.second.push_back(u"word%1"_s.arg(i));
        }
        return list;
    };
    const auto [bytes, words] = wordList(kMaxWords, "\r\n");
    const std::pair<const char*, QByteArray> files[] = {
        {"exact", bytes},
        {"no final line end", bytes.chopped(2)},
        {"one word more", wordList(kMaxWords + 1, "\n").first},
        {"blank lines between", wordList(kMaxWords, "\n \n\t\n").first + "extra"},
        {"lines that cannot be typed between", wordList(kMaxWords, "\nx\ty\n\x1A\n").first + "extra"},
        {"Windows-1252 from a second line of the control 0x81", bytes.first(7) + "\x81\n" + bytes.sliced(7)},
        {"then a NUL", bytes + '\0' + "x\n"},
        {"then an over-long line", bytes + QByteArray(qsizetype{5} * kMaxLineChars, 'x')},
    };
    for (const auto& [name, content] : files)
        EXPECT_EQ(readWordList(write(QString::fromLatin1(name), content)), words) << name;
}

TEST_F(WordListFile, OneHugeLineFailsWithoutBeingBuffered)
{
    const QByteArray megabyte(1 << 20, 'q');
    QFile sparse(dir.filePath(u"sparse.txt"_s));  // 2 GB: letters, then NUL bytes that take no disk space
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.write(megabyte) == megabyte.size() &&
                sparse.resize(qint64{2} << 30));
    sparse.close();
    QFile letters(dir.filePath(u"letters.txt"_s));  // 50 MB of letters, no line end
    ASSERT_TRUE(letters.open(QIODevice::WriteOnly));
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(letters.write(megabyte), megabyte.size());
    letters.close();

    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    EXPECT_FALSE(readWordList(sparse.fileName()).has_value());
    EXPECT_FALSE(readWordList(letters.fileName()).has_value());
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 32 * 1024) << "peak memory grew by more than 32 MiB (in KiB)";
}

}  // namespace
}  // namespace skyquill
