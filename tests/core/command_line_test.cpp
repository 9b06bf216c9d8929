// The command line, the choice of the word list, and the About box's version.
// What the answers print is checked on the installed game by the package check.
#include "core/command_line.h"
#include "core/scripted_platform.h"
#include "version.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace skyquill {

using namespace Qt::StringLiterals;

TEST(CommandLine, PlaysFileAnswersHelpAndVersionAndLeavesQtItsOptions)
{
    // The arguments; the exit status (none: the game starts); FILE.
    const struct {
        QString arguments;
        std::optional<int> status;
        std::optional<QString> file;
    } cases[] = {
        {u""_s, {}, {}},
        {u"-platform offscreen --platform=xcb -style=fusion -display :5 w.txt -nograb -reverse"_s, {}, u"w.txt"_s},
        {u"-h w.txt"_s, 0, {}},
        {u"-style fusion --version"_s, 0, {}},
        {u"--help --bogus"_s, 2, {}},
        {u"w.txt x.txt"_s, 2, {}},
    };
    for (const auto& c : cases) {
        const CommandLine line = parseCommandLine((u"skyquill "_s + c.arguments).split(u' ', Qt::SkipEmptyParts));
        EXPECT_EQ(std::pair(line.exitStatus, line.file), std::pair(c.status, c.file)) << c.arguments.toStdString();
    }
}

TEST(CommandLine, FileThenAnythingAtThePlayersOwnListThenTheListBesideTheGame)
{
    QTemporaryDir dir;
    const QString mine = dir.filePath(u"mine"_s);
    EXPECT_EQ(chooseWordList({}, mine, u"/opt/sq"_s), u"/opt/sq/SkyquillList.txt"_s);
    ASSERT_TRUE(QDir().mkdir(mine));  // no list, but the player's: refused when read, not passed over
    EXPECT_EQ(chooseWordList({}, mine, u"/opt/sq"_s), mine);
    EXPECT_EQ(chooseWordList(u"w.txt"_s, mine, u"/opt/sq"_s), u"w.txt"_s);
}

TEST(CommandLine, AboutShowsTheProjectsVersionWithATwoDigitMinor)
{
    testing::ScriptedPlatform platform;
    frmSkyquill(platform).mnuAbout_Click();
    const QString version = QString::number(kVersionMajor) + u'.' + QString::number(kVersionMinor + 100).mid(1);  // 1.00
    EXPECT_TRUE(platform.boxes.at(0).startsWith(u"About Skyquill: Skyquill version "_s + version + u"\r\n"_s));
}

}  // namespace skyquill
