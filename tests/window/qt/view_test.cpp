// The Qt view on the offscreen platform: the wiring of keys, edits,
// shortcuts, ticks and the close box to the game, and what the widgets show
// to the eye and to a screen reader. The real-window test plays the game.
#include "support/scripted_platform.h"
#include "window/qt/game_window.h"

#include <QAccessible>
#include <QApplication>
#include <QInputMethodEvent>
#include <QMenuBar>
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
        form.mnuNewGame_Click();
    }
    EntryBox* box() const { return window.entryBox(); }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) const { QTest::keyClick(box(), key, modifiers); }
};

// Runs `whileOpen` inside the next message box, then presses its OK. The box
// is modal as soon as it shows, before its event loop runs this.
void catchBox(std::function<void(QMessageBox*)> whileOpen)
{
    QTimer::singleShot(0, [whileOpen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        whileOpen(box);
        box->accept();
    });
}

QString readOut(QWidget* widget) { return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name); }

}  // namespace

class ViewTest : public QObject {
    Q_OBJECT
private slots:
    void menusAndLabelsMirrorTheGame()
    {
        Game g;
        QStringList menus;
        for (QAction* menu : g.window.menuBar()->actions())
            for (QAction* item : menu->menu()->actions())
                menus << menu->text() + u' ' + item->text() + u' ' + item->shortcut().toString();
        QCOMPARE(menus.join(u'|'), QStringLiteral("&File &New Game Ctrl+N|&File &Pause Game Ctrl+P|&File  |"
                                                  "&File Exit Ctrl+X|&Help Rules Ctrl+R|&Help About Ctrl+A"));
        // A screen reader reads what the labels show, not what they are for.
        QCOMPARE(readOut(g.window.wordLabel()), g.form.lblWord.caption());
        QCOMPARE(readOut(g.window.scoreLabel()), QStringLiteral("0"));
        QVERIFY(!readOut(g.box()).isEmpty());
        g.form.mnuPauseGame_Click();
        QCOMPARE(readOut(g.window.pausedLabel()), QStringLiteral("Game Paused"));
        QCOMPARE(g.window.action(Element::mnuPauseGame)->text(), QStringLiteral("&Unpause Game"));
        QCOMPARE(g.window.field()->grab().toImage().pixelColor(145, 504), QColor(Qt::red));
    }

    void keysPassTheFilterEditsDoNot()
    {
        Game g;
        QTRY_VERIFY(g.box()->hasFocus());  // ready to type right after New Game
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

    void shortcutsWinInTheEntryBoxAndABoxHoldsTheGame()
    {
        Game g;
        QTRY_VERIFY(g.box()->hasFocus());
        QTest::keyClicks(g.box(), g.form.lblWord.caption().left(1));
        QString shown;
        catchBox([&](QMessageBox* box) {
            shown = box->windowTitle() + u':' + box->text();
            QVERIFY(box->icon() == QMessageBox::NoIcon && box->buttons().size() == 1);
            g.window.action(Element::mnuPauseGame)->trigger();  // must not reach the game
        });
        g.key(Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(shown, QStringLiteral("About Skyquill:Skyquill version 1.00\nType the falling words before they land."));
        QVERIFY(!g.form.tmrSkyquill.enabled());
        QCOMPARE(g.box()->selectedText(), QString());  // not select all
        g.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&g.window));
        g.box()->setFocus();
        g.key(Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(g.platform.exitStatus(), 0);
        QVERIFY(g.platform.ended());
        QCOMPARE(g.box()->text(), g.form.lblWord.caption().left(1));  // not cut
    }

    void dropTimerMovesTheWordUntilPausedOrClosed()
    {
        Game g;
        const int y0 = g.window.wordLabel()->y();
        QTRY_VERIFY_WITH_TIMEOUT(g.window.wordLabel()->y() >= y0 + 6, 2000);
        QCOMPARE(g.window.wordLabel()->y(), static_cast<int>(std::lround(g.form.lblWord.top() / 15.0F)));
        QVERIFY(QGuiApplication::styleHints()->cursorFlashTime() > 0);
        g.form.mnuPauseGame_Click();
        // Paused, nothing may wake the program: not even the caret blinks.
        QCOMPARE(QGuiApplication::styleHints()->cursorFlashTime(), 0);
        const float stoppedAt = g.form.lblWord.top();
        QTest::qWait(100);
        QCOMPARE(g.form.lblWord.top(), stoppedAt);
        g.form.mnuPauseGame_Click();
        g.window.close();  // the close box ends the program, and no tick follows
        QCOMPARE(g.platform.exitStatus(), 0);
        QVERIFY(g.platform.ended());
        QTest::qWait(80);
        QCOMPARE(g.form.lblWord.top(), stoppedAt);
    }
};

QTEST_MAIN(ViewTest)
#include "view_test.moc"
