// The Qt view on the offscreen platform: how the window is drawn, the menus,
// and that keys, edits, shortcuts and ticks reach the game.
#include "support/scripted_platform.h"
#include "window/qt/game_window.h"

#include <QAccessible>
#include <QApplication>
#include <QInputMethodEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace skyquill;

namespace {

struct Game {
    QtPlatform platform;
    frmSkyquill form{platform};
    GameWindow window{form, platform};

    explicit Game(const std::vector<QString>& words = {QStringLiteral("cart"), QStringLiteral("dog")})
    {
        // Ending the program must not stop the event loops of later tests.
        platform.setQuit([](int) {});
        testing::loadWords(form, words);
        window.showCentred();
        window.activateWindow();
    }
};

// Dismisses the next message box when it opens and remembers what it said.
struct BoxCatcher {
    QString title;
    QString text;
    int buttons = 0;
    bool iconless = false;
    void arm()
    {
        QTimer::singleShot(0, [this] { poll(); });
    }
    void poll()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            QTimer::singleShot(5, [this] { poll(); });
            return;
        }
        title = box->windowTitle();
        text = box->text();
        buttons = static_cast<int>(box->buttons().size());
        iconless = box->icon() == QMessageBox::NoIcon;
        box->accept();
    }
};

QColor pixel(QWidget* widget, QPoint at)
{
    return widget->grab().toImage().pixelColor(at);
}

}  // namespace

class ViewTest : public QObject {
    Q_OBJECT
private slots:
    void designTimeWindow();
    void menuTree();
    void typedKeysGoThroughTheKeyFilter();
    void composedTextGoesThroughTheKeyFilter();
    void windowShortcutsWinInsideTheEntryBox();
    void rulesBoxPausesAndShowsLinesOnly();
    void dropTimerMovesTheWord();
    void closeBoxEndsTheProgram();
};

void ViewTest::designTimeWindow()
{
    Game g;
    QVERIFY(QTest::qWaitForWindowExposed(&g.window));
    QCOMPARE(g.window.windowTitle(), QStringLiteral(" Tamsley's Skyquill Game"));
    QCOMPARE(g.window.field()->size(), QSize(290, 565));
    QCOMPARE(g.window.minimumSize(), g.window.maximumSize());
    QVERIFY(!(g.window.windowFlags() & Qt::WindowMaximizeButtonHint));

    QCOMPARE(g.window.wordLabel()->geometry(), QRect(16, 8, 257, 33));
    QCOMPARE(g.window.pausedLabel()->geometry(), QRect(16, 40, 257, 40));
    QCOMPARE(g.window.scoreLabel()->geometry(), QRect(240, 520, 41, 33));
    QCOMPARE(g.window.entryBox()->geometry(), QRect(8, 520, 225, 33));
    QCOMPARE(g.window.groundLine()->geometry(), QRect(0, 502, 288, 5));

    QVERIFY(!g.window.wordLabel()->isVisible());
    QVERIFY(!g.window.pausedLabel()->isVisible());
    QVERIFY(g.window.scoreLabel()->isVisible());
    QCOMPARE(g.window.scoreLabel()->text(), QStringLiteral("0"));
    QVERIFY(!g.window.entryBox()->isEnabled());
    QVERIFY(g.window.entryBox()->text().isEmpty());
    QCOMPARE(g.window.pausedLabel()->text(), QStringLiteral("Game Paused"));

    QWidget* field = g.window.field();
    QCOMPARE(pixel(field, {145, 200}), QColor(0, 0, 0));
    QCOMPARE(pixel(field, {145, 504}), QColor(255, 0, 0));
    QCOMPARE(pixel(field, {243, 550}), QColor(128, 255, 128));
    QCOMPARE(g.window.pausedLabel()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(g.window.wordLabel()->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    QVERIFY(g.window.wordLabel()->font().bold());
    QCOMPARE(g.window.wordLabel()->font().pixelSize(), 18);
    QCOMPARE(g.window.pausedLabel()->font().pixelSize(), 32);
    QCOMPARE(g.window.scoreLabel()->font().pixelSize(), 24);
    // A screen reader reads what the labels show, not what they are for.
    auto name = [](QWidget* widget) { return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name); };
    g.form.mnuNewGame_Click();
    QCOMPARE(name(g.window.wordLabel()), g.form.lblWord.caption());
    QCOMPARE(name(g.window.scoreLabel()), QStringLiteral("0"));
    QCOMPARE(name(g.window.pausedLabel()), QStringLiteral("Game Paused"));
    QVERIFY(!g.window.wordLabel()->accessibleDescription().isEmpty());
    QVERIFY(!name(g.window.entryBox()).isEmpty());
}

void ViewTest::menuTree()
{
    Game g;
    const QList<QAction*> menus = g.window.menuBar()->actions();
    QCOMPARE(menus.size(), 2);
    QCOMPARE(menus[0]->text(), QStringLiteral("&File"));
    QCOMPARE(menus[1]->text(), QStringLiteral("&Help"));

    const QList<QAction*> file = menus[0]->menu()->actions();
    const QList<QAction*> help = menus[1]->menu()->actions();
    QCOMPARE(file.size(), 4);
    QCOMPARE(help.size(), 2);
    // Text and shortcut of each item, File's then Help's; an empty text is the separator.
    const char* const items[][2] = {{"&New Game", "Ctrl+N"}, {"&Pause Game", "Ctrl+P"}, {"", ""},
                                    {"Exit", "Ctrl+X"},      {"Rules", "Ctrl+R"},       {"About", "Ctrl+A"}};
    const QList<QAction*> actions = file + help;
    for (qsizetype i = 0; i < actions.size(); ++i) {
        QCOMPARE(actions[i]->isSeparator(), *items[i][0] == '\0');
        QCOMPARE(actions[i]->text(), QString::fromUtf8(items[i][0]));
        QCOMPARE(actions[i]->shortcut(), QKeySequence(QString::fromUtf8(items[i][1])));
        QVERIFY(!actions[i]->isCheckable());
    }
    QVERIFY(file[0]->isEnabled());
    QVERIFY(!file[1]->isEnabled());

    // Pause follows the game's caption and enabled state.
    g.form.mnuNewGame_Click();
    QVERIFY(file[1]->isEnabled());
    g.form.mnuPauseGame_Click();
    QCOMPARE(file[1]->text(), QStringLiteral("&Unpause Game"));
}

void ViewTest::typedKeysGoThroughTheKeyFilter()
{
    Game g;
    QVERIFY(QTest::qWaitForWindowActive(&g.window));
    g.form.mnuNewGame_Click();
    EntryBox* box = g.window.entryBox();
    QVERIFY(box->isEnabled());
    QTRY_VERIFY(box->hasFocus());  // New Game leaves the box ready to type

    const QString word = g.form.lblWord.caption();
    QTest::keyClicks(box, word.left(2).toLower());
    QCOMPARE(box->text(), word.left(2));
    QCOMPARE(g.form.txtWord.text(), word.left(2));
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->text(), word.left(2));
    QTest::keyClick(box, Qt::Key_Q);
    QTest::keyClick(box, Qt::Key_Z);
    QCOMPARE(box->text(), word.left(2));
    QCOMPARE(box->cursorPosition(), 2);

    // Delete acts on the box as an edit and reaches the game as a change.
    QTest::keyClick(box, Qt::Key_Left);
    QTest::keyClick(box, Qt::Key_Delete);
    QCOMPARE(g.form.txtWord.text(), word.left(1));
    QCOMPARE(box->text(), word.left(1));

    QTest::keyClick(box, Qt::Key_Escape);
    QVERIFY(!g.form.tmrSkyquill.enabled());
    QVERIFY(g.window.pausedLabel()->isVisible());
    QVERIFY(!g.window.wordLabel()->isVisible());
    QTest::keyClick(box, Qt::Key_Q);
    QCOMPARE(box->text(), word.left(1));  // paused: keys are thrown away
    QTest::keyClick(box, Qt::Key_Home);
    // Edits are not, and X11 gives Delete the text U+007F.
    QTest::sendKeyEvent(QTest::Click, box, Qt::Key_Delete, QString(QChar(0x7f)), Qt::NoModifier);
    QVERIFY(box->text().isEmpty());
    QVERIFY(g.form.txtWord.text().isEmpty());
    QTest::keyClick(box, Qt::Key_Escape);
    QVERIFY(g.form.tmrSkyquill.enabled());

    QTest::keyClicks(box, word);
    QCOMPARE(g.form.lblScore.caption(), QStringLiteral("1"));
    QCOMPARE(g.window.scoreLabel()->text(), QStringLiteral("1"));
    QVERIFY(box->text().isEmpty());
}

void ViewTest::composedTextGoesThroughTheKeyFilter()
{
    Game g;
    g.form.mnuNewGame_Click();
    EntryBox* box = g.window.entryBox();
    const QString first = g.form.lblWord.caption().left(1).toLower();
    auto commit = [box](const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QCoreApplication::sendEvent(box, &event);
    };
    g.form.mnuPauseGame_Click();
    commit(first);
    QVERIFY(box->text().isEmpty());  // paused: composed characters are thrown away too
    g.form.mnuPauseGame_Click();
    commit(first);
    QCOMPARE(box->text(), first.toUpper());
    QCOMPARE(g.form.txtWord.text(), first.toUpper());
}

void ViewTest::windowShortcutsWinInsideTheEntryBox()
{
    Game g;
    QVERIFY(QTest::qWaitForWindowActive(&g.window));
    QTest::keyClick(&g.window, Qt::Key_P, Qt::ControlModifier);
    QVERIFY(!g.form.tmrSkyquill.enabled());  // Pause is off before the first game

    QTest::keyClick(&g.window, Qt::Key_N, Qt::ControlModifier);
    QVERIFY(g.form.tmrSkyquill.enabled());
    EntryBox* box = g.window.entryBox();
    QTRY_VERIFY(box->hasFocus());
    QTest::keyClicks(box, g.form.lblWord.caption().left(1));
    QVERIFY(!box->text().isEmpty());

    BoxCatcher about;
    about.arm();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(about.title, QStringLiteral("About Skyquill"));
    QCOMPARE(box->selectedText(), QString());  // Ctrl+A must not select the text
    QVERIFY(!g.form.tmrSkyquill.enabled());  // About paused the game

    g.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&g.window));
    box->setFocus();
    const QString before = box->text();
    QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
    QVERIFY(g.platform.ended());
    QCOMPARE(g.platform.exitStatus(), 0);
    QCOMPARE(box->text(), before);  // Ctrl+X must not cut
}

void ViewTest::rulesBoxPausesAndShowsLinesOnly()
{
    Game g;
    g.form.mnuNewGame_Click();
    BoxCatcher rules;
    rules.arm();
    g.window.action(Element::mnuRules)->trigger();
    QCOMPARE(rules.title, QStringLiteral("Rules of Skyquill"));
    QCOMPARE(rules.text.count(QLatin1Char('\n')), 3);
    QVERIFY(!rules.text.contains(QLatin1Char('\r')));
    QCOMPARE(rules.buttons, 1);
    QVERIFY(rules.iconless);
    QVERIFY(!g.form.tmrSkyquill.enabled());
    QVERIFY(g.window.pausedLabel()->isVisible());
}

void ViewTest::dropTimerMovesTheWord()
{
    Game g;
    g.form.mnuNewGame_Click();
    QVERIFY(g.window.dropTimer().isActive());
    const int y0 = g.window.wordLabel()->y();
    QTRY_VERIFY_WITH_TIMEOUT(g.window.wordLabel()->y() >= y0 + 6, 2000);
    QCOMPARE(g.window.wordLabel()->y(), static_cast<int>(std::lround(g.form.lblWord.top() / 15.0F)));
    QVERIFY(QGuiApplication::styleHints()->cursorFlashTime() > 0);
    g.form.mnuPauseGame_Click();
    QVERIFY(!g.window.dropTimer().isActive());
    // Paused, nothing may wake the program: not even the caret blinks.
    QCOMPARE(QGuiApplication::styleHints()->cursorFlashTime(), 0);
    const float stoppedAt = g.form.lblWord.top();
    QTest::qWait(100);
    QCOMPARE(g.form.lblWord.top(), stoppedAt);
    g.form.mnuPauseGame_Click();
    QVERIFY(QGuiApplication::styleHints()->cursorFlashTime() > 0);
}

void ViewTest::closeBoxEndsTheProgram()
{
    Game g;
    g.form.mnuNewGame_Click();
    g.window.close();
    QVERIFY(g.platform.ended());
    QCOMPARE(g.platform.exitStatus(), 0);
    // No further event reaches the game.
    const float top = g.form.lblWord.top();
    QTest::qWait(80);
    QCOMPARE(g.form.lblWord.top(), top);
}

QTEST_MAIN(ViewTest)
#include "view_test.moc"
