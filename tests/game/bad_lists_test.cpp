// What the game does at start-up with each kind of odd or broken word list
// put beside the executable: refuse it ("No Word List Found!", status 1),
// open with no words (New Game then says the list is empty), or read it.
#include "game/word_list.h"
#include "support/scripted_platform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ostream>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// Readable failure messages; static so it cannot clash with another test file.
static void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace skyquill {
namespace {

using namespace Qt::StringLiterals;
using testing::ScriptedPlatform;
using testing::typeText;

class BadLists : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform.directory = dir.path();
    }
    QString listPath() const { return dir.filePath(u"SkyquillList.txt"_s); }
    QByteArray listPathBytes() const { return QFile::encodeName(listPath()); }
    void writeList(const QByteArray& bytes)
    {
        QFile file(listPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    // The start-up refused the list: one message, then the program ends with 1.
    void expectRefused()
    {
        ASSERT_EQ(platform.boxes.size(), 1U);
        EXPECT_EQ(platform.boxes[0].text, u"No Word List Found!"_s);
        EXPECT_EQ(platform.boxes[0].title, u"ERROR!!!"_s);
        EXPECT_TRUE(platform.ended());
        EXPECT_EQ(platform.exitStatus(), 1);
    }

    // The window opened with no words, and New Game refuses to start.
    void expectOpensEmpty()
    {
        EXPECT_FALSE(platform.ended());
        EXPECT_TRUE(platform.boxes.empty());
        EXPECT_EQ(form.state().intWordCount, 0);
        form.mnuNewGame_Click();
        ASSERT_EQ(platform.boxes.size(), 1U);
        EXPECT_EQ(platform.boxes[0].text, u"The Word List Is Empty!"_s);
        EXPECT_FALSE(form.tmrSkyquill.enabled());
    }

    QTemporaryDir dir;
    ScriptedPlatform platform;
    frmSkyquill form{platform};
};

TEST_F(BadLists, EmptyFileOpensWithNoWords)
{
    writeList({});
    form.Form_Load();
    expectOpensEmpty();
}

TEST_F(BadLists, BlankLinesOnlyOpenWithNoWords)
{
    writeList(" \r\n\t\n\n\v\f \r\r\n");
    form.Form_Load();
    expectOpensEmpty();
}

TEST_F(BadLists, DirectoryIsRefused)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"SkyquillList.txt"_s));
    form.Form_Load();
    expectRefused();
}

TEST_F(BadLists, FifoIsRefusedWithoutWaitingForAWriter)
{
    ASSERT_EQ(::mkfifo(listPathBytes().constData(), 0600), 0);
    // Opening or reading a FIFO could block for ever; the alarm ends the
    // child (and fails the test) if it does.
    EXPECT_EXIT(
        {
            ::alarm(5);
            form.Form_Load();
            std::_Exit(platform.ended() && platform.exitStatus() == 1 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(BadLists, DeviceIsRefused)
{
    // /dev/null reads as an empty file, and /dev/zero as endless NULs: both
    // must be refused for not being regular files, not for their content.
    for (const char* device : {"/dev/null", "/dev/zero"}) {
        SCOPED_TRACE(device);
        ASSERT_EQ(::symlink(device, listPathBytes().constData()), 0);
        ScriptedPlatform fresh;
        fresh.directory = dir.path();
        frmSkyquill game(fresh);
        game.Form_Load();
        ASSERT_EQ(fresh.boxes.size(), 1U);
        EXPECT_EQ(fresh.boxes[0].text, u"No Word List Found!"_s);
        EXPECT_EQ(fresh.exitStatus(), 1);
        ASSERT_EQ(::unlink(listPathBytes().constData()), 0);
    }
}

TEST_F(BadLists, BinaryFileIsRefused)
{
    // This test program itself: an executable, like any image or archive,
    // holds NUL bytes.
    QFile self(u"/proc/self/exe"_s);
    ASSERT_TRUE(self.open(QIODevice::ReadOnly));
    writeList(self.read(64 * 1024));
    form.Form_Load();
    expectRefused();
}

TEST_F(BadLists, BinaryWithoutNulBytesReadsAsWindows1252)
{
    // Bytes 1-255 except the line ends: no NUL, so it is text to the reader,
    // not UTF-8, so Windows-1252; the blanks 9, 11, 12 and 32 split nothing.
    QByteArray bytes;
    for (int b = 1; b < 256; ++b) {
        if (b != '\n' && b != '\r')
            bytes.append(static_cast<char>(b));
    }
    writeList(bytes + '\n' + bytes);
    form.Form_Load();
    EXPECT_FALSE(platform.ended());
    ASSERT_EQ(form.state().intWordCount, 2);
    const QString& word = form.state().strWordList[1];
    EXPECT_EQ(word, form.state().strWordList[2]);
    EXPECT_EQ(word.size(), 253) << "bytes 1 and 255 end the line, so no blank is trimmed";
    EXPECT_EQ(word.front(), QChar(1));
    EXPECT_EQ(word.back(), QChar(u'ÿ'));
    EXPECT_TRUE(word.contains(u'€')) << "0x80 is the euro sign in Windows-1252";
}

TEST_F(BadLists, NulByteIsRefused)
{
    writeList(QByteArray("lark\nwr\0en\nowl\n", 15));
    form.Form_Load();
    expectRefused();
}

TEST_F(BadLists, LineOverTheLimitIsRefused)
{
    writeList("lark\n" + QByteArray(kMaxLineChars, 'w') + "\nowl\n");
    form.Form_Load();
    EXPECT_FALSE(platform.ended()) << "a line of exactly the limit is a word";
    EXPECT_EQ(form.state().intWordCount, 3);

    writeList("lark\n" + QByteArray(kMaxLineChars + 1, 'w') + "\nowl\n");
    ScriptedPlatform fresh;
    fresh.directory = dir.path();
    frmSkyquill game(fresh);
    game.Form_Load();
    ASSERT_EQ(fresh.boxes.size(), 1U);
    EXPECT_EQ(fresh.boxes[0].text, u"No Word List Found!"_s);
    EXPECT_EQ(fresh.exitStatus(), 1);
}

TEST_F(BadLists, Utf16WithoutBomIsRefused)
{
    // Without a BOM the file is taken for 8-bit text, and the high bytes of
    // ASCII letters in UTF-16 are NULs.
    const QString text = u"lark\nwren\n"_s;
    writeList(QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));
    form.Form_Load();
    expectRefused();
}

TEST_F(BadLists, MixedScriptsAreReadAndPlayedInUpperCase)
{
    writeList("\xEF\xBB\xBF" "école\r\nλόγος\r\nслово\r\nStraße\r\n");
    const char16_t* const lower[] = {u"école", u"λόγος", u"слово", u"straße"};
    const char16_t* const shown[] = {u"ÉCOLE", u"ΛΌΓΟΣ", u"СЛОВО", u"STRASSE"};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        ScriptedPlatform fresh;
        fresh.directory = dir.path();
        frmSkyquill game(fresh);
        game.Form_Load();
        ASSERT_FALSE(fresh.ended());
        ASSERT_EQ(game.state().intWordCount, 4);
        EXPECT_EQ(game.state().strWordList.at(static_cast<std::size_t>(i) + 1),
                  i == 3 ? u"Straße"_s : QString::fromUtf16(lower[i]));

        fresh.randoms = {0.0, 0.0, testing::pick(i + 1, 4)};
        game.mnuNewGame_Click();
        EXPECT_EQ(game.lblWord.caption(), QString::fromUtf16(shown[i]));
        // Typed in lower case, the word still counts; the final sigma and the
        // sharp s are matched through their upper-case forms.
        typeText(game, QString::fromUtf16(lower[i]));
        EXPECT_EQ(game.lblScore.caption(), u"1"_s);
        EXPECT_TRUE(game.txtWord.text().isEmpty());
    }
}

TEST_F(BadLists, TwoGigabyteLineStopsTheReaderEarly)
{
    // 2 GiB of one line, streamed: the reader must give up on the line once
    // it cannot be a word any more, after a few kilobytes, not buffer it.
    WordListDecoder decoder;
    const QByteArray chunk(64 * 1024, 'q');
    std::int64_t fed = 0;
    const std::int64_t total = std::int64_t{2} << 30;
    while (fed < total && decoder.feed(chunk.constData(), static_cast<std::size_t>(chunk.size())))
        fed += chunk.size();
    EXPECT_EQ(fed, 0) << "the first 64 KiB chunk already holds more than a line's worth";
    EXPECT_TRUE(decoder.failed());
    EXPECT_FALSE(decoder.finish().has_value());

    // The same through a file at start-up: 2 GiB, letters first, then a hole.
    QFile file(listPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(QByteArray(64 * 1024, 'q')), 64 * 1024);
    ASSERT_TRUE(file.resize(total));
    file.close();
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    form.Form_Load();
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    expectRefused();
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "peak memory grew by more than 64 MiB (in KiB)";
}

}  // namespace
}  // namespace skyquill
