// The command line, the choice of the word list, and the About box's version.
#include "game/command_line.h"
#include "support/scripted_platform.h"
#include "version.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace skyquill {

using namespace Qt::StringLiterals;

TEST(CommandLine, PlaysFileAnswersHelpAndVersionAndRefusesTheRest)
{
    const QString usage = u"Usage: skyquill [options] [FILE]\n"_s;
    // The arguments; the exit status (none: the game starts); FILE; how the output begins.
    const struct { QString arguments; std::optional<int> status; std::optional<QString> file; QString output; } cases[] = {
        {u""_s, {}, {}, {}},
        // Qt's own options, and their values, are Qt's.
        {u"-platform offscreen --platform=xcb -style=fusion -display :5 w.txt -nograb -reverse"_s, {}, u"w.txt"_s, {}},
        {u"-h w.txt"_s, 0, {}, usage},
        {u"-style fusion --version"_s, 0, {}, u"skyquill "_s + QLatin1StringView(kVersion) + u'\n'},
        {u"--help --bogus"_s, 2, {}, u"skyquill: Unknown option 'bogus'.\n"_s + usage},
        {u"w.txt x.txt"_s, 2, {}, u"skyquill: Too many arguments: one FILE at most.\n"_s + usage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.toStdString());
        const CommandLine line = parseCommandLine((u"skyquill "_s + c.arguments).split(u' ', Qt::SkipEmptyParts));
        EXPECT_EQ(std::pair(line.exitStatus, line.file), std::pair(c.status, c.file));
        EXPECT_TRUE(line.output.startsWith(c.output) && line.output.isEmpty() == c.output.isEmpty()) << line.output.toStdString();
        // The usage says where the lists come from.
        EXPECT_EQ(line.output.contains(u"~/.local/share/skyquill/SkyquillList.txt"_s), c.output.endsWith(usage));
    }
}

TEST(CommandLine, FileThenTheUsersOwnListIfAnythingIsThereThenTheOneBesideTheGame)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"file"_s), folder = dir.filePath(u"folder"_s), link = dir.filePath(u"link"_s);
    EXPECT_EQ(chooseWordList({}, dir.filePath(u"none"_s), u"/opt/sq"_s), u"/opt/sq/SkyquillList.txt"_s);
    // Whatever is there is the player's list: a refused one is reported, not skipped.
    ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly) && QDir().mkdir(folder) && QFile::link(dir.filePath(u"gone"_s), link));
    for (const QString& user : {file, folder, link}) {
        EXPECT_EQ(chooseWordList({}, user, u"/opt/sq"_s), user);
        EXPECT_EQ(chooseWordList(u"w.txt"_s, user, u"/opt/sq"_s), u"w.txt"_s);
    }
}

TEST(CommandLine, AboutShowsTheProjectsMajorVersionAndTwoDigitMinor)
{
    testing::ScriptedPlatform platform;
    frmSkyquill(platform).mnuAbout_Click();
    const QString version = QString::number(kVersionMajor) + u'.' + QString::number(kVersionMinor + 100).mid(1);  // 1.00
    EXPECT_EQ(platform.boxes.at(0), u"About Skyquill: Skyquill version "_s + version + u"\r\nType the falling words before they land."_s);
}

}  // namespace skyquill
