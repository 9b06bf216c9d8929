// The word picker, the falling word and the typing rule, on the element model.
#include "support/scripted_platform.h"

#include <gtest/gtest.h>

#include <set>

namespace skyquill {
namespace {

using testing::editTo;
using testing::loadWords;
using testing::pick;
using testing::ScriptedPlatform;
using testing::typeChar;
using testing::typeText;

class Play : public ::testing::Test {
protected:
    // Starts a game whose first word is slot `index`, placed at the top.
    void start(const std::vector<QString>& words, int index = 1)
    {
        loadWords(form, words);
        platform.randoms = {0.0, 0.0, pick(index, static_cast<int>(words.size()))};
        form.mnuNewGame_Click();
    }
    int flagsSet() const
    {
        const auto& used = form.state().intUsed;
        return static_cast<int>(std::count(used.begin(), used.end(), 1));
    }
    QString score() const { return form.lblScore.caption(); }
    void setScore(int s) { form.lblScore.setCaption(QString::number(s)); }

    ScriptedPlatform platform;
    frmSkyquill form{platform};
};

// --- the word picker ---

TEST_F(Play, PickerDrawsHeightThenSpeedThenWordWithinTheirRanges)
{
    loadWords(form, {QStringLiteral("alpha"), QStringLiteral("beta")});
    platform.randoms = {0.0, 0.0, pick(2, 2)};
    form.mnuNewGame_Click();
    EXPECT_EQ(form.lblWord.top(), 120.0F);
    EXPECT_EQ(form.tmrSkyquill.interval(), 1);
    EXPECT_EQ(form.lblWord.caption(), QStringLiteral("BETA"));

    const double almostOne = 1.0 - 0x1.0p-53;
    platform.randoms = {almostOne, almostOne, almostOne};
    form.mnuNewGame_Click();
    EXPECT_EQ(form.lblWord.top(), 3719.0F);
    EXPECT_EQ(form.tmrSkyquill.interval(), 25);
    EXPECT_EQ(form.lblWord.caption(), QStringLiteral("ALPHA")) << "slot 2 is used, slot 1 is left";

    platform.randoms = {1.0, 1.0, 1.0};  // a source that returns 1 stays in range too
    form.mnuNewGame_Click();
    EXPECT_EQ(form.lblWord.top(), 3719.0F);
    EXPECT_EQ(form.tmrSkyquill.interval(), 25);
    EXPECT_EQ(form.state().intCurrentWord, 2);
}

TEST_F(Play, ACycleShowsEveryWordOnceThenStartsAgain)
{
    std::vector<QString> words;
    for (int i = 0; i < 50; ++i)
        words.push_back(QStringLiteral("w%1").arg(i));
    loadWords(form, words);
    std::set<QString> shown;
    for (int i = 0; i < 50; ++i) {
        form.mnuNewGame_Click();
        EXPECT_TRUE(shown.insert(form.lblWord.caption()).second) << "repeated within a cycle";
        if (i < 49) {
            EXPECT_EQ(form.state().intWordsUsed, i + 1);
            EXPECT_EQ(flagsSet(), i + 1);
        }
    }
    EXPECT_EQ(shown.size(), 50U);
    EXPECT_EQ(form.state().intWordsUsed, 0);
    EXPECT_EQ(flagsSet(), 0);
}

TEST_F(Play, PickerShowsUpperCaseAndKeepsTheTable)
{
    start({QStringLiteral("ÉcLair"), QStringLiteral("σοφία")}, 1);
    EXPECT_EQ(form.lblWord.caption(), QStringLiteral("ÉCLAIR"));
    EXPECT_EQ(form.state().strWordList[1], QStringLiteral("ÉcLair"));
    platform.randoms = {0.0, 0.0, pick(2, 2)};
    form.mnuNewGame_Click();
    EXPECT_EQ(form.lblWord.caption(), QStringLiteral("ΣΟΦΊΑ"));
}

TEST_F(Play, OneWordListShowsThatWordEveryTime)
{
    start({QStringLiteral("solo")});
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(form.lblWord.caption(), QStringLiteral("SOLO"));
        EXPECT_EQ(flagsSet(), 0) << "every pick completes a cycle";
        typeText(form, QStringLiteral("solo"));
    }
    EXPECT_EQ(score(), QStringLiteral("5"));
}

// --- the falling word ---

TEST_F(Play, WordAtTheTopIsMissedOnItsTwoHundredThirtySeventhTick)
{
    start({QStringLiteral("cart"), QStringLiteral("dog")});
    setScore(3);
    for (int i = 1; i < 237; ++i)
        form.tmrSkyquill_Timer();
    EXPECT_EQ(form.lblWord.top(), 7200.0F);
    EXPECT_EQ(form.lblWord.caption(), QStringLiteral("CART"));
    platform.randoms = {0.5, 0.5, pick(2, 2)};
    form.tmrSkyquill_Timer();
    EXPECT_EQ(score(), QStringLiteral("2"));
    EXPECT_EQ(form.lblWord.caption(), QStringLiteral("DOG"));
    EXPECT_EQ(form.lblWord.top(), 1920.0F);
    EXPECT_EQ(form.tmrSkyquill.interval(), 13);
}

TEST_F(Play, MissEmptiesAPartlyTypedWordWithoutScoringIt)
{
    start({QStringLiteral("cart"), QStringLiteral("dog")});
    setScore(1);
    typeText(form, QStringLiteral("ca"));
    form.lblWord.setTop(7200.0F);
    platform.randoms = {0.5, 0.5, pick(2, 2)};
    const int drawsBefore = platform.draws;
    form.tmrSkyquill_Timer();
    EXPECT_EQ(form.txtWord.text(), QString());
    EXPECT_EQ(form.txtWord.selStart(), 0);
    EXPECT_EQ(score(), QStringLiteral("0"));
    EXPECT_EQ(form.lblWord.caption(), QStringLiteral("DOG"));
    EXPECT_EQ(platform.draws - drawsBefore, 3) << "exactly one new word";

    // A miss at 0 stays at 0 and still brings the next word.
    form.lblWord.setTop(7200.0F);
    platform.randoms = {0.5, 0.5, pick(1, 2)};
    form.tmrSkyquill_Timer();
    EXPECT_EQ(score(), QStringLiteral("0"));
    EXPECT_EQ(form.lblWord.caption(), QStringLiteral("CART"));
}

// --- typing ---

TEST_F(Play, LowerCaseWordScoresOnceAndTheNextWordComesUp)
{
    start({QStringLiteral("cart"), QStringLiteral("dog")});
    platform.randoms = {0.0, 0.0, pick(2, 2)};
    typeText(form, QStringLiteral("car"));
    EXPECT_EQ(form.txtWord.text(), QStringLiteral("CAR"));
    EXPECT_EQ(form.txtWord.selStart(), 3);
    typeChar(form, u't');
    EXPECT_EQ(score(), QStringLiteral("1"));
    EXPECT_EQ(form.txtWord.text(), QString());
    EXPECT_EQ(form.lblWord.caption(), QStringLiteral("DOG"));
}

TEST_F(Play, EditsLeaveTheLongestBeginningOfTheWordTheTextStartsWith)
{
    struct Edit {
        const char* what;
        QString word, typed, pasted, left;
    };
    const Edit edits[] = {
        {"wrong keys are taken back at once", QStringLiteral("cart"), QStringLiteral("cx1 !a"), {},
         QStringLiteral("CA")},
        {"a character typed inside the text", QStringLiteral("cart"), QStringLiteral("car"), QStringLiteral("CAXR"),
         QStringLiteral("CA")},
        {"a paste keeps what continues the word", QStringLiteral("cartwheel"), QStringLiteral("ca"),
         QStringLiteral("CArtwXheel"), QStringLiteral("CARTW")},
        {"a million-character paste settles", QStringLiteral("cart"), {}, QStringLiteral("ca") + QString(1000000, u'r'),
         QStringLiteral("CAR")},
    };
    for (const Edit& e : edits) {
        SCOPED_TRACE(e.what);
        start({e.word});
        typeText(form, e.typed);
        if (!e.pasted.isNull())
            editTo(form, e.pasted);
        EXPECT_EQ(form.txtWord.text(), e.left);
        EXPECT_EQ(form.txtWord.selStart(), e.left.size());
        EXPECT_EQ(score(), QStringLiteral("0"));
    }
}

TEST_F(Play, KeyFilterDropsBackspaceAndStopsEverythingWhileNotRunning)
{
    start({QStringLiteral("cart")});
    typeText(form, QStringLiteral("ca"));
    char16_t code = kBackspace;
    form.txtWord_KeyPress(code);
    EXPECT_EQ(code, 0);
    code = u'r';
    form.txtWord_KeyPress(code);
    EXPECT_EQ(code, u'r') << "a running game lets characters through unchanged";

    code = kEscape;
    form.txtWord_KeyPress(code);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(form.tmrSkyquill.enabled());
    for (const char16_t c : {u'r', u'R', u'1', u'\x16', u'\r'}) {
        code = c;
        form.txtWord_KeyPress(code);
        EXPECT_EQ(code, 0) << "paused: " << int(c);
    }
    code = kEscape;
    form.txtWord_KeyPress(code);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(form.tmrSkyquill.enabled());
    EXPECT_EQ(form.txtWord.text(), QStringLiteral("CA"));
}

TEST_F(Play, PasteThatBeginsWithTheWholeWordScoresOnce)
{
    start({QStringLiteral("cart"), QStringLiteral("dog")});
    platform.randoms = {0.0, 0.0, pick(2, 2)};
    editTo(form, QStringLiteral("cartcartcart"));
    EXPECT_EQ(score(), QStringLiteral("1"));
    EXPECT_EQ(form.txtWord.text(), QString());
    EXPECT_EQ(form.lblWord.caption(), QStringLiteral("DOG"));
    editTo(form, QStringLiteral("dog") + QString(1000000, u'x'));
    EXPECT_EQ(score(), QStringLiteral("2"));
}

TEST_F(Play, NonLatinWordsPlayWithOneUpperCaseMapping)
{
    // Shown in upper case, typed in either: the final sigma and the sharp s
    // match through their upper-case forms.
    const std::pair<QString, QString> words[] = {
        {QStringLiteral("école"), QStringLiteral("ÉCOLE")},   {QStringLiteral("λόγος"), QStringLiteral("ΛΌΓΟΣ")},
        {QStringLiteral("приВет"), QStringLiteral("ПРИВЕТ")}, {QStringLiteral("straße"), QStringLiteral("STRASSE")},
    };
    for (const auto& [word, shown] : words) {
        start({word});
        EXPECT_EQ(form.lblWord.caption(), shown);
        typeText(form, word.toLower());
        EXPECT_EQ(score(), QStringLiteral("1")) << word.toStdString();
    }
    start({QStringLiteral("straße")});
    typeText(form, QStringLiteral("straß"));
    EXPECT_EQ(score(), QStringLiteral("0"));
    EXPECT_EQ(form.txtWord.text(), QStringLiteral("STRASS"));
}

TEST_F(Play, TenthPointWinsAndSwitchesEverythingOffBeforeTheBox)
{
    testing::ChangeRecorder order;
    start({QStringLiteral("cart"), QStringLiteral("dog"), QStringLiteral("emu")});
    setScore(9);
    form.setListener(&order);
    bool timerOffDuringBox = false;
    platform.onBox = [&](const testing::ShownBox&) { timerOffDuringBox = !form.tmrSkyquill.enabled(); };
    const int drawsBefore = platform.draws;
    const auto usedBefore = form.state().intWordsUsed;

    typeText(form, QStringLiteral("CArt"));
    form.setListener(nullptr);
    std::erase_if(order.seen, [](const auto& c) {
        return c.second != Property::Enabled && c.second != Property::Visible;  // only what switches off
    });

    EXPECT_EQ(score(), QStringLiteral("10"));
    ASSERT_EQ(platform.boxes.size(), 1U);
    EXPECT_EQ(platform.boxes[0].text, QStringLiteral("You are a winner!"));
    EXPECT_EQ(platform.boxes[0].title, QStringLiteral("Congratulations!"));
    EXPECT_TRUE(timerOffDuringBox);
    const std::vector<std::pair<Element, Property>> expected{
        {Element::mnuPauseGame, Property::Enabled},
        {Element::tmrSkyquill, Property::Enabled},
        {Element::lblWord, Property::Visible},
        {Element::txtWord, Property::Enabled},
    };
    EXPECT_EQ(order.seen, expected);
    EXPECT_EQ(platform.draws, drawsBefore) << "no word is picked after a win";
    EXPECT_EQ(form.state().intWordsUsed, usedBefore);
}

TEST_F(Play, WordFinishedWhilePausedScoresButDoesNotWin)
{
    start({QStringLiteral("cart"), QStringLiteral("dog"), QStringLiteral("emu")});
    setScore(10);
    form.mnuPauseGame_Click();
    editTo(form, QStringLiteral("cart"));  // a paste: no key goes through the filter
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(score(), QStringLiteral("10")) << "never above ten";
    EXPECT_NE(form.lblWord.caption(), QString()) << "the next word is up";

    form.mnuPauseGame_Click();
    typeText(form, form.lblWord.caption());
    ASSERT_EQ(platform.boxes.size(), 1U) << "the next word finished in play wins";
    EXPECT_EQ(platform.boxes[0].title, QStringLiteral("Congratulations!"));
}

TEST_F(Play, EmptyCaptionIsAWordThatAnyCharacterScores)
{
    start({QString(), QStringLiteral("dog")}, 1);
    EXPECT_EQ(form.lblWord.caption(), QString());
    platform.randoms = {0.0, 0.0, pick(2, 2)};
    typeChar(form, u'q');
    EXPECT_EQ(score(), QStringLiteral("1"));
    EXPECT_EQ(form.txtWord.text(), QString());
    EXPECT_EQ(form.lblWord.caption(), QStringLiteral("DOG"));
}

}  // namespace
}  // namespace skyquill
