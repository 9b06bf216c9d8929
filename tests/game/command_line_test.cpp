// The command line and the choice of the word list; the About box's version.
#include "game/command_line.h"
#include "support/scripted_platform.h"
#include "version.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

static void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace skyquill {
namespace {

using namespace Qt::StringLiterals;

TEST(CommandLine, PlaysFileAnswersHelpAndVersionAndRefusesTheRest)
{
    const QString usage = u"Usage: skyquill [options] [FILE]\n"_s;
    struct Case {
        QStringList arguments;
        std::optional<int> status;  // none: the game starts
        std::optional<QString> file;
        QString outputStart;
    };
    const Case cases[] = {
        {{}, {}, {}, {}},
        {{u"words.txt"_s}, {}, u"words.txt"_s, {}},
        {{u""_s}, {}, u""_s, {}},  // refused later by the reader, never taken for "no FILE"
        {{u"--"_s, u"-words"_s}, {}, u"-words"_s, {}},
        // Qt's own options, and their values, are Qt's.
        {{u"-platform"_s, u"offscreen"_s, u"words.txt"_s}, {}, u"words.txt"_s, {}},
        {{u"--platform=offscreen"_s, u"-reverse"_s}, {}, {}, {}},
        {{u"-style=fusion"_s, u"-display"_s, u":5"_s, u"-geometry"_s, u"+1+1"_s}, {}, {}, {}},
        {{u"-style"_s, u"fusion"_s, u"words.txt"_s, u"-nograb"_s}, {}, u"words.txt"_s, {}},
        {{u"--help"_s}, 0, {}, usage},
        {{u"-h"_s, u"words.txt"_s}, 0, {}, usage},
        {{u"--version"_s}, 0, {}, u"skyquill "_s + QLatin1StringView(kVersion) + u'\n'},
        {{u"-platform"_s, u"xcb"_s, u"-v"_s}, 0, {}, u"skyquill "_s + QLatin1StringView(kVersion) + u'\n'},
        {{u"--bogus"_s}, 2, {}, u"skyquill: Unknown option 'bogus'.\n"_s + usage},
        {{u"--help"_s, u"-x"_s}, 2, {}, u"skyquill: Unknown option 'x'.\n"_s + usage},
        {{u"-hv"_s}, 2, {}, u"skyquill: Unknown option 'hv'.\n"_s + usage},
        {{u"words.txt"_s, u"more.txt"_s}, 2, {}, u"skyquill: Too many arguments: one FILE at most.\n"_s + usage},
        {{u"-platform"_s}, 2, {}, u"skyquill: Missing value after '-platform'.\n"_s + usage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const CommandLine line = parseCommandLine(QStringList{u"/usr/games/skyquill"_s} + c.arguments);
        EXPECT_EQ(line.exitStatus, c.status);
        EXPECT_EQ(line.file, c.file);
        EXPECT_TRUE(line.output.startsWith(c.outputStart)) << line.output.toStdString();
        EXPECT_EQ(line.output.isEmpty(), c.outputStart.isEmpty());
        // The help lists the options but none of Qt's, and says where lists come from.
        if (c.status == 0 && c.outputStart == usage) {
            for (const char* shown : {"-h, --help", "-v, --version", "FILE", "~/.local/share/skyquill/SkyquillList.txt"})
                EXPECT_TRUE(line.output.contains(QLatin1StringView(shown))) << shown;
            for (const char* hidden : {"--platform", "<value>", "--reverse"})
                EXPECT_FALSE(line.output.contains(QLatin1StringView(hidden))) << hidden;
        }
    }
}

TEST(CommandLine, FileThenTheUsersOwnListIfAnythingIsThereThenTheOneBesideTheGame)
{
    QTemporaryDir dir;
    const QString user = dir.filePath(u"data/skyquill/SkyquillList.txt"_s);
    const QString beside = u"/opt/skyquill/SkyquillList.txt"_s;
    ASSERT_TRUE(QDir().mkpath(dir.filePath(u"data/skyquill"_s)));
    struct Case {
        const char* what;
        std::function<bool()> make;
        std::optional<QString> file;
        QString chosen;
    };
    const auto write = [&user] {
        QFile file(user);
        return file.open(QIODevice::WriteOnly) && file.write("quill\n") == 6;
    };
    const Case cases[] = {
        {"nothing of the player's", [] { return true; }, {}, beside},
        {"a FILE", [] { return true; }, u"mine.txt"_s, u"mine.txt"_s},
        {"a user list", write, {}, user},
        {"a user list and a FILE", write, u"mine.txt"_s, u"mine.txt"_s},
        {"an empty user list", [&] { return QFile(user).open(QIODevice::WriteOnly); }, {}, user},
        // Refused by the reader, and so reported, rather than quietly skipped.
        {"a directory in its place", [&] { return QDir().mkdir(user); }, {}, user},
        {"a dangling link", [&] { return QFile::link(dir.filePath(u"gone"_s), user); }, {}, user},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(user);
        QDir().rmdir(user);
        ASSERT_TRUE(c.make());
        EXPECT_EQ(chooseWordList(c.file, user, u"/opt/skyquill"_s), c.chosen);
    }
    EXPECT_EQ(chooseWordList({}, QString(), u"/opt/skyquill"_s), beside);
}

TEST(CommandLine, TheUsersOwnListIsInTheXdgDataHome)
{
    QTemporaryDir dir;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path()));
    const QString user = userWordList();
    if (saved.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", saved);
    EXPECT_EQ(user, dir.path() + u"/skyquill/SkyquillList.txt"_s);
}

TEST(CommandLine, AboutShowsTheProjectsMajorVersionAndTwoDigitMinor)
{
    testing::ScriptedPlatform platform;
    frmSkyquill form(platform);
    form.mnuAbout_Click();
    ASSERT_EQ(platform.boxes.size(), 1U);
    const auto match = QRegularExpression(u"^About Skyquill: Skyquill version (\\d+)\\.(\\d\\d)\r\n"_s).match(platform.boxes[0]);
    ASSERT_TRUE(match.hasMatch()) << platform.boxes[0].toStdString();
    EXPECT_EQ(match.captured(1).toInt(), kVersionMajor);
    EXPECT_EQ(match.captured(2).toInt(), kVersionMinor);
    EXPECT_TRUE(QLatin1StringView(kVersion).startsWith(QString::number(kVersionMajor) + u'.' + QString::number(kVersionMinor) + u'.'));
}

}  // namespace
}  // namespace skyquill
