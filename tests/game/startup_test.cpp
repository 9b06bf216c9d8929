#include "support/scripted_platform.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace skyquill {
namespace {

using testing::ScriptedPlatform;

class StartUp : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform.directory = dir.path();
    }
    void writeList(const QByteArray& bytes)
    {
        QFile file(dir.filePath(QStringLiteral("SkyquillList.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir dir;
    ScriptedPlatform platform;
    frmSkyquill form{platform};
};

TEST_F(StartUp, LoadsWordsIntoSlotsFromOneInFileOrder)
{
    writeList("lark\nWren\nowl");
    // Flags left over must be cleared by start-up.
    form.stateForTesting().intUsed[2] = 1;
    form.stateForTesting().intWordsUsed = 1;
    form.Form_Load();

    const GameState& s = form.state();
    EXPECT_FALSE(platform.ended());
    EXPECT_TRUE(platform.boxes.empty());
    ASSERT_EQ(s.intWordCount, 3);
    EXPECT_TRUE(s.strWordList[0].isEmpty());
    EXPECT_EQ(s.strWordList[1], QStringLiteral("lark"));
    EXPECT_EQ(s.strWordList[2], QStringLiteral("Wren")) << "case is kept in the table";
    EXPECT_EQ(s.strWordList[3], QStringLiteral("owl"));
    EXPECT_TRUE(s.strWordList[4].isEmpty());
    EXPECT_EQ(std::count(s.intUsed.begin(), s.intUsed.end(), 1), 0);
    EXPECT_EQ(s.intWordsUsed, 0);
    EXPECT_EQ(s.intCurrentWord, 0);
    ASSERT_EQ(platform.seeds.size(), 1U);
    EXPECT_EQ(platform.seeds[0], platform.time) << "seeded from the time of day";
}

TEST_F(StartUp, LeavesTheWindowStoppedAndTheTimerUnstarted)
{
    writeList("lark\n");
    form.Form_Load();
    EXPECT_FALSE(form.tmrSkyquill.enabled());
    EXPECT_FALSE(form.txtWord.enabled());
    EXPECT_FALSE(form.mnuPauseGame.enabled());
    EXPECT_FALSE(form.lblWord.visible());
    EXPECT_FALSE(form.lblPaused.visible());
    EXPECT_EQ(form.lblScore.caption(), QStringLiteral("0"));
    EXPECT_EQ(platform.draws, 0);
}

TEST_F(StartUp, TakesTheFirstTenThousandWordsSilently)
{
    QByteArray bytes;
    for (int i = 1; i <= 10001; ++i)
        bytes += "w" + QByteArray::number(i) + "\n";
    writeList(bytes);
    form.Form_Load();
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(form.state().intWordCount, 10000);
    EXPECT_EQ(form.state().strWordList[10000], QStringLiteral("w10000"));
}

TEST_F(StartUp, EmptyListIsNoFailure)
{
    writeList("");
    form.Form_Load();
    EXPECT_FALSE(platform.ended());
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(form.state().intWordCount, 0);
}

TEST_F(StartUp, MissingListShowsTheMessageThenEndsWithStatusOne)
{
    bool endedBeforeBoxClosed = true;
    platform.onBox = [&](const testing::ShownBox&) { endedBeforeBoxClosed = platform.ended(); };
    form.Form_Load();
    ASSERT_EQ(platform.boxes.size(), 1U);
    EXPECT_EQ(platform.boxes[0].text, QStringLiteral("No Word List Found!"));
    EXPECT_EQ(platform.boxes[0].title, QStringLiteral("ERROR!!!"));
    EXPECT_FALSE(endedBeforeBoxClosed) << "the program ends only after the box is dismissed";
    EXPECT_TRUE(platform.ended());
    EXPECT_EQ(platform.exitStatus(), 1);
}

TEST_F(StartUp, ListIsLookedForBesideTheExecutableOnly)
{
    writeList("lark\n");
    platform.directory = dir.path() + QStringLiteral("/elsewhere");
    form.Form_Load();
    EXPECT_TRUE(platform.ended());
}

}  // namespace
}  // namespace skyquill
