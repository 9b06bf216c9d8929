// The Qt view on the offscreen platform: the wiring of keys, edits,
// shortcuts, ticks and the close box to the game, and what the widgets show
// to the eye and to a screen reader. The real-window test plays the game.
#include "core/scripted_platform.h"
#include "qt/game_window.h"
#include "qt/tick_schedule.h"
#include "version.h"

#include <QAccessible>
#include <QApplication>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QStyleHints>
#include <QTest>
#include <QTimer>

using namespace skyquill;

namespace {

struct Game {
    QtPlatform platform;
    frmSkyquill form{platform};
    GameWindow window{form, platform};

    Game()
    {
        platform.setQuit([](int) {});  // later tests still need the event loop
        testing::loadWords(form, {QStringLiteral("cart"), QStringLiteral("dog")});
        window.showCentred();
        window.activateWindow();
        (void)QTest::qWaitForWindowActive(&window);  // the tests that need it fail on their own
        form.mnuNewGame_Click();
    }
    EntryBox* box() const { return window.entryBox(); }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) const { QTest::keyClick(box(), key, modifiers); }
};

QString readOut(QWidget* widget) { return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name); }

}  // namespace

class ViewTest : public QObject {
    Q_OBJECT
private slots:
    void dropTimerKeepsTheClassicGranularityWithoutDriftOrBursts()
    {
        using namespace std::chrono;
        for (const auto& [ms, us] : {std::pair{-5, 15625}, {15, 15625}, {16, 31250}, {25, 31250}, {47, 62500}})
            QCOMPARE(TickSchedule::periodFor(ms), microseconds(us));
        TickSchedule schedule;
        schedule.start(seconds(100), 1);
        for (int i = 0; i < 640; ++i)  // every tick 3 ms late, and still 10 s for 640
            schedule.advance(schedule.deadline() + milliseconds(3));
        QCOMPARE(schedule.deadline(), seconds(110) + microseconds(15625));
        schedule.advance(seconds(200));  // after a stall it goes on from now, without a burst
        QCOMPARE(schedule.deadline(), seconds(200) + microseconds(15625));
    }

    void keysPassTheFilterEditsDoNot()
    {
        Game g;
        const QString word = g.form.lblWord.caption();
        QTest::keyClicks(g.box(), word.left(2).toLower() + u'z');
        g.key(Qt::Key_Backspace);
        QCOMPARE(g.box()->text(), word.left(2));
        QCOMPARE(g.box()->cursorPosition(), 2);
        // Paused, keys are thrown away, composed ones too; but edits are not,
        // and X11 gives Delete the text U+007F.
        g.key(Qt::Key_Escape);
        g.key(Qt::Key_Q);
        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("\bq"));
        QCoreApplication::sendEvent(g.box(), &composed);
        QCOMPARE(g.form.txtWord.text(), word.left(2));
        g.key(Qt::Key_Home);
        QTest::sendKeyEvent(QTest::Click, g.box(), Qt::Key_Delete, QString(QChar(0x7f)), Qt::NoModifier);
        QCOMPARE(g.box()->text(), QString());  // the change rule cuts what is left
        g.key(Qt::Key_Escape);
        composed.setCommitString(u'\b' + word.left(1).toLower());
        QCoreApplication::sendEvent(g.box(), &composed);
        QCOMPARE(g.form.txtWord.text(), word.left(1));
    }

    // Ctrl+X from the entry box is the real-window test's.
    void shortcutsWinInTheEntryBoxAndABoxHoldsTheGame()
    {
        Game g;
        QTest::keyClicks(g.box(), g.form.lblWord.caption().left(1));
        // The box is modal as soon as it shows, before its event loop runs this.
        QStringList shown;
        const auto readBox = [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr && box->icon() == QMessageBox::NoIcon && box->buttons().size() == 1);
            shown += box->windowTitle() + u':' + box->text();
            g.window.action(Element::mnuPauseGame)->trigger();  // must not reach the game
            box->accept();
        };
        QTimer::singleShot(0, readBox);
        g.key(Qt::Key_R, Qt::ControlModifier);
        QTimer::singleShot(0, readBox);
        g.window.action(Element::mnuAbout)->trigger();
        const QString version = QString::number(kVersionMajor) + u'.' + QString::number(kVersionMinor + 100).mid(1);
        QCOMPARE(shown, (QStringList{QStringLiteral("Rules of Skyquill:Words will drop from different heights and at "
                                                    "different speeds.\nYou will earn one point if you correctly type "
                                                    "the word before it\nreaches the bottom. You will lose one point if "
                                                    "you do not. Once\nyou earn 10 points you win the game. All of the "
                                                    "words are real."),
                                     QStringLiteral("About Skyquill:Skyquill version %1\nType the falling words before "
                                                    "they land.").arg(version)}));
        QVERIFY(!g.form.tmrSkyquill.enabled());
    }

    void theWindowMirrorsTheGameUntilItCloses()
    {
        Game g;
        const int y0 = g.window.wordLabel()->y();
        QTRY_VERIFY_WITH_TIMEOUT(g.window.wordLabel()->y() >= y0 + 6, 2000);
        QCOMPARE(g.window.wordLabel()->y(), static_cast<int>(std::lround(g.form.lblWord.top() / 15.0F)));
        // A screen reader reads what the labels show, not what they are for.
        QCOMPARE(readOut(g.window.wordLabel()), g.form.lblWord.caption());
        QVERIFY(QGuiApplication::styleHints()->cursorFlashTime() > 0);
        g.key(Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(readOut(g.window.pausedLabel()), QStringLiteral("Game Paused"));
        QCOMPARE(g.window.action(Element::mnuPauseGame)->text(), QStringLiteral("&Unpause Game"));
        // Paused, nothing may wake the program: not even the caret blinks.
        QCOMPARE(QGuiApplication::styleHints()->cursorFlashTime(), 0);
        const float stoppedAt = g.form.lblWord.top();
        QTest::qWait(100);
        QCOMPARE(g.form.lblWord.top(), stoppedAt);
        g.key(Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(g.window.action(Element::mnuPauseGame)->text(), QStringLiteral("&Pause Game"));
        g.window.close();  // the close box ends the program, and no tick follows
        QCOMPARE(g.platform.exitStatus(), 0);
        QVERIFY(g.platform.ended());
        QTest::qWait(80);
        QCOMPARE(g.form.lblWord.top(), stoppedAt);
    }
};

QTEST_MAIN(ViewTest)
#include "view_test.moc"
