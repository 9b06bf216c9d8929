#include "support/scripted_platform.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace skyquill {
namespace {

struct StartUpCase {
    const char* what;
    std::optional<QByteArray> list;  // none: no file
    int words;
    QString last;
    int exitStatus;  // -1: still running
};

TEST(StartUp, LoadsTheListBesideTheExecutableOrEndsWithStatusOne)
{
    QByteArray longList;
    for (int i = 1; i <= 10001; ++i)
        longList += "w" + QByteArray::number(i) + "\n";
    const StartUpCase cases[] = {
        {"a list", QByteArray("lark\nWren\nowl"), 3, QStringLiteral("owl"), -1},
        {"an empty list", QByteArray(), 0, {}, -1},
        {"the first 10,000 words", longList, 10000, QStringLiteral("w10000"), -1},
        {"no list", std::nullopt, 0, {}, 1},
    };
    for (const StartUpCase& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        if (c.list) {
            QFile file(dir.filePath(QStringLiteral("SkyquillList.txt")));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(*c.list);
        }
        testing::ScriptedPlatform platform;
        platform.directory = dir.path();
        frmSkyquill form(platform);
        form.stateForTesting().intUsed[2] = 1;  // left over: start-up clears it
        bool endedWhileBoxOpen = false;
        platform.onBox = [&](const QString&) { endedWhileBoxOpen = platform.ended(); };
        form.Form_Load();

        EXPECT_EQ(platform.exitStatus, c.exitStatus);
        EXPECT_FALSE(endedWhileBoxOpen);
        EXPECT_EQ(platform.boxes, c.exitStatus == 1 ? std::vector<QString>{QStringLiteral("ERROR!!!: No Word List Found!")}
                                                    : std::vector<QString>{});
        EXPECT_EQ(form.state().intWordCount, c.words);
        EXPECT_EQ(form.state().strWordList[static_cast<std::size_t>(c.words)], c.last);
        EXPECT_EQ(form.state().intUsed[2], 0);
        EXPECT_EQ(platform.seeds, std::vector<float>{platform.time});
        EXPECT_TRUE(platform.drawLog.empty());
        EXPECT_FALSE(form.tmrSkyquill.enabled());
    }
}

}  // namespace
}  // namespace skyquill
