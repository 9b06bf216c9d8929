// The Qt view on the offscreen platform: that keys, edits, shortcuts, ticks
// and the close box reach the game, and that the widgets mirror it.
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
    }
    EntryBox* box() const { return window.entryBox(); }
};

// Runs `whileOpen` once the next message box is up, then presses its OK.
void catchBox(std::function<void(QMessageBox*)> whileOpen)
{
    QTimer::singleShot(0, [whileOpen] {
        auto poll = [whileOpen](auto& self) -> void {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return QTimer::singleShot(5, [self] { self(self); });
            whileOpen(box);
            box->accept();
        };
        poll(poll);
    });
}

QString accessibleName(QWidget* widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

}  // namespace

class ViewTest : public QObject {
    Q_OBJECT
private slots:
    void windowMirrorsTheElements();
    void keysGoThroughTheKeyFilterAndEditsDoNot();
    void composedTextGoesThroughTheKeyFilter();
    void windowShortcutsWinInsideTheEntryBox();
    void nothingReachesTheGameWhileABoxIsOpen();
    void dropTimerMovesTheWordAndStopsWhenPaused();
    void closeBoxEndsTheProgram();
};

void ViewTest::windowMirrorsTheElements()
{
    Game g;
    QVERIFY(QTest::qWaitForWindowExposed(&g.window));
    QCOMPARE(g.window.windowTitle(), QStringLiteral(" Tamsley's Skyquill Game"));
    QCOMPARE(g.window.minimumSize(), g.window.maximumSize());
    const QImage field = g.window.field()->grab().toImage();
    QCOMPARE(field.size(), QSize(290, 565));
    QCOMPARE(field.pixelColor(145, 200), QColor(Qt::black));
    QCOMPARE(field.pixelColor(145, 504), QColor(Qt::red));
    QCOMPARE(field.pixelColor(243, 550), QColor(128, 255, 128));

    QStringList menus;
    for (QAction* menu : g.window.menuBar()->actions())
        for (QAction* item : menu->menu()->actions())
            menus << menu->text() + u' ' + item->text() + u' ' + item->shortcut().toString();
    QCOMPARE(menus.join(u'|'), QStringLiteral("&File &New Game Ctrl+N|&File &Pause Game Ctrl+P|&File  |"
                                              "&File Exit Ctrl+X|&Help Rules Ctrl+R|&Help About Ctrl+A"));
    QVERIFY(!g.window.action(Element::mnuPauseGame)->isEnabled());
    QVERIFY(!g.box()->isEnabled());

    // A screen reader reads what the labels show, not what they are for.
    g.form.mnuNewGame_Click();
    QVERIFY(g.window.action(Element::mnuPauseGame)->isEnabled());
    QCOMPARE(accessibleName(g.window.wordLabel()), g.form.lblWord.caption());
    QCOMPARE(accessibleName(g.window.scoreLabel()), QStringLiteral("0"));
    QVERIFY(!accessibleName(g.box()).isEmpty());
    g.form.mnuPauseGame_Click();
    QCOMPARE(accessibleName(g.window.pausedLabel()), QStringLiteral("Game Paused"));
    QCOMPARE(g.window.action(Element::mnuPauseGame)->text(), QStringLiteral("&Unpause Game"));
}

void ViewTest::keysGoThroughTheKeyFilterAndEditsDoNot()
{
    Game g;
    QVERIFY(QTest::qWaitForWindowActive(&g.window));
    g.form.mnuNewGame_Click();
    QTRY_VERIFY(g.box()->hasFocus());  // ready to type right after New Game
    const QString word = g.form.lblWord.caption();
    QTest::keyClicks(g.box(), word.left(2).toLower() + u'z');
    QTest::keyClick(g.box(), Qt::Key_Backspace);
    QCOMPARE(g.box()->text(), word.left(2));
    QCOMPARE(g.box()->cursorPosition(), 2);

    QTest::keyClick(g.box(), Qt::Key_Escape);
    QVERIFY(g.window.pausedLabel()->isVisible());
    QVERIFY(!g.window.wordLabel()->isVisible());
    QTest::keyClick(g.box(), Qt::Key_Q);
    QCOMPARE(g.box()->text(), word.left(2));  // paused: keys are thrown away
    // Edits are not, and X11 gives Delete the text U+007F.
    QTest::keyClick(g.box(), Qt::Key_Home);
    QTest::sendKeyEvent(QTest::Click, g.box(), Qt::Key_Delete, QString(QChar(0x7f)), Qt::NoModifier);
    QCOMPARE(g.form.txtWord.text(), QString());
    QCOMPARE(g.box()->text(), QString());
    QTest::keyClick(g.box(), Qt::Key_Escape);

    QTest::keyClicks(g.box(), word);
    QCOMPARE(g.window.scoreLabel()->text(), QStringLiteral("1"));
    QCOMPARE(accessibleName(g.window.scoreLabel()), QStringLiteral("1"));
    QVERIFY(g.box()->text().isEmpty());
}

void ViewTest::composedTextGoesThroughTheKeyFilter()
{
    Game g;
    g.form.mnuNewGame_Click();
    const QString first = g.form.lblWord.caption().left(1).toLower();
    auto commit = [&g](const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QCoreApplication::sendEvent(g.box(), &event);
    };
    commit(u'\b' + first);
    QCOMPARE(g.box()->text(), first.toUpper());
    g.form.mnuPauseGame_Click();
    commit(first);
    QCOMPARE(g.form.txtWord.text(), first.toUpper());  // paused: thrown away too
}

void ViewTest::windowShortcutsWinInsideTheEntryBox()
{
    Game g;
    QVERIFY(QTest::qWaitForWindowActive(&g.window));
    QTest::keyClick(&g.window, Qt::Key_N, Qt::ControlModifier);
    QTRY_VERIFY(g.box()->hasFocus());
    QTest::keyClicks(g.box(), g.form.lblWord.caption().left(1));
    QString title;
    catchBox([&title](QMessageBox* box) {
        title = box->windowTitle();
        QVERIFY(box->icon() == QMessageBox::NoIcon && box->buttons().size() == 1);
    });
    QTest::keyClick(g.box(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(title, QStringLiteral("About Skyquill"));
    QCOMPARE(g.box()->selectedText(), QString());  // not select all

    g.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&g.window));
    g.box()->setFocus();
    QTest::keyClick(g.box(), Qt::Key_X, Qt::ControlModifier);
    QVERIFY(g.platform.ended());
    QCOMPARE(g.platform.exitStatus(), 0);
    QCOMPARE(g.box()->text(), g.form.lblWord.caption().left(1));  // not cut
}

void ViewTest::nothingReachesTheGameWhileABoxIsOpen()
{
    Game g;
    g.form.mnuNewGame_Click();
    g.form.mnuPauseGame_Click();
    QString text;
    catchBox([&](QMessageBox* box) {
        text = box->text();
        g.window.action(Element::mnuPauseGame)->trigger();
        QTest::keyClick(g.box(), Qt::Key_Escape);
    });
    g.window.action(Element::mnuRules)->trigger();
    QCOMPARE(text.count(u'\n'), 3);
    QVERIFY(!text.contains(u'\r'));
    QVERIFY(!g.form.tmrSkyquill.enabled());
}

void ViewTest::dropTimerMovesTheWordAndStopsWhenPaused()
{
    Game g;
    g.form.mnuNewGame_Click();
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
}

void ViewTest::closeBoxEndsTheProgram()
{
    Game g;
    g.form.mnuNewGame_Click();
    g.window.close();
    QVERIFY(g.platform.ended());
    QCOMPARE(g.platform.exitStatus(), 0);
    const float top = g.form.lblWord.top();
    QTest::qWait(80);
    QCOMPARE(g.form.lblWord.top(), top);  // no tick reaches an ended game
}

QTEST_MAIN(ViewTest)
#include "view_test.moc"
