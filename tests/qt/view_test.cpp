// The Qt view on the offscreen platform: each widget against the design, on a
// dark desktop too, and every property of the model against its widget; the
// wiring of keys, edits, shortcuts, ticks and the close box to the game. The
// real-window test plays the game.
#include "core/design.h"
#include "core/scripted_platform.h"
#include "qt/game_window.h"
#include "version.h"

#include <QAccessible>
#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QStyleHints>
#include <QTest>
#include <QTimer>

#include <cmath>

using namespace skyquill;
using namespace skyquill::design;
using namespace Qt::StringLiterals;

namespace {

struct Game {
    QtPlatform platform;
    frmSkyquill form{platform};
    GameWindow window{form, platform};

    explicit Game(bool start = true)
    {
        platform.setQuit([](int) {});  // later tests still need the event loop
        testing::loadWords(form, {u"cart"_s, u"dog"_s});
        window.showCentred();
        window.activateWindow();
        (void)QTest::qWaitForWindowActive(&window);  // the tests that need it fail on their own
        if (start)
            form.mnuNewGame_Click();
    }
    EntryBox* box() const { return window.entryBox(); }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) const { QTest::keyClick(box(), key, modifiers); }
    void compose(const QString& text) const { QInputMethodEvent e; e.setCommitString(text); QCoreApplication::sendEvent(box(), &e); }
};

QString readOut(QWidget* widget) { return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name); }
QColor color(Rgb rgb) { return {rgb.r, rgb.g, rgb.b}; }
QRect pixelRect(Box b) { return {pixels(b.left), pixels(b.top), pixels(b.width), pixels(b.height)}; }

}  // namespace

class ViewTest : public QObject {
    Q_OBJECT
private slots:
    void theWidgetsShowTheDesignAndEveryPropertyOfTheModel()
    {
        Game g(false);
        const GameWindow& w = g.window;
        QApplication::setPalette(QPalette(QColor(0x31363b)));  // a dark desktop: light text on dark backgrounds
        QCoreApplication::sendPostedEvents();  // the widgets hear of it through posted events
        QCOMPARE(w.minimumSize(), w.maximumSize());  // the window can't be resized
        struct Look { QWidget* widget; QRect geometry; Qt::Alignment alignment; double points; QColor text, fill; };
        const QRect line(pixels(kLineX1), pixels(kLineY) - kLinePixels / 2, pixels(kLineX2 - kLineX1), kLinePixels);
        const Look looks[] = {{w.field(), {0, w.menuBar()->height(), pixels(kClientWidth), pixels(kClientHeight)}, {}, 0, {}, color(kBlack)},
                              {w.groundLine(), line, {}, 0, {}, color(kRed)},
                              {w.wordLabel(), pixelRect(kWordBox), kLabelAlignment, kWordPoints, color(kYellow), {}},
                              {w.pausedLabel(), pixelRect(kPausedBox), kLabelAlignment, kPausedPoints, color(kRed), {}},
                              {w.scoreLabel(), pixelRect(kScoreBox), kLabelAlignment, kScorePoints, {}, color(kLightGreen)},  // text: below
                              {g.box(), pixelRect(kEntryBox), kEntryAlignment, kEntryPoints, {}, {}}};
        for (const auto& [widget, geometry, alignment, points, text, fill] : looks) {
            const QPalette p = widget->palette();
            QCOMPARE(widget->geometry(), geometry);
            QCOMPARE(widget->property("alignment").value<Qt::Alignment>(), alignment);
            QCOMPARE(text.isValid() ? p.color(widget->foregroundRole()) : text, text);
            QCOMPARE(widget->autoFillBackground() ? p.color(widget->backgroundRole()) : QColor(), fill);
            if (points > 0)
                QCOMPARE(std::pair(widget->font().pixelSize(), widget->font().bold()),
                         std::pair(int(std::lround(points * kTwipsPerPoint / kTwipsPerPixel)), true));
        }
        // The score's text stands out of its box by WCAG's AA ratio; the entry
        // box takes the desktop's text and background together.
        const auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        const auto luminance = [&](QColor c) { return .2126 * linear(c.redF()) + .7152 * linear(c.greenF()) + .0722 * linear(c.blueF()); };
        const QPalette score = w.scoreLabel()->palette();
        const auto [dark, light] = std::minmax({luminance(score.color(QPalette::WindowText)), luminance(score.color(QPalette::Window))});
        QVERIFY((light + 0.05) / (dark + 0.05) >= 4.5);
        for (const QPalette::ColorRole role : {QPalette::Text, QPalette::Base})
            QCOMPARE(g.box()->palette().color(role), QApplication::palette().color(g.box()->palette().currentColorGroup(), role));
        QStringList menus;
        for (QAction* menu : w.menuBar()->actions())
            for (const QAction* item : QList{menu} + menu->menu()->actions())
                menus += item->isSeparator() ? u"--"_s : item->text() + u' ' + item->shortcut().toString();
        const auto item = [](QStringView text, QKeySequence key = {}) { return text.toString() + u' ' + key.toString(); };
        QCOMPARE(menus, (QStringList{item(kFileMenu), item(kNewGame, kNewGameKey), item(kPauseGame, kPauseGameKey), u"--"_s,
                                     item(kExit, kExitKey), item(kHelpMenu), item(kRules, kRulesKey), item(kAbout, kAboutKey)}));

        // Each property of the model beside what its widget shows: as the window
        // opens, and after each write of a new value.
        frmSkyquill& f = g.form;
        const auto mirrored = [&] {
            // An enabled box has the focus, ready to type; paused, nothing may
            // wake the program, not even the caret's blinking.
            QVariantList model{f.txtWord.text(), int(f.txtWord.selStart()), f.txtWord.enabled(), f.txtWord.enabled(), f.tmrSkyquill.enabled(),
                               f.tmrSkyquill.enabled(), qint64(TickSchedule::periodFor(f.tmrSkyquill.interval()).count())};
            QVariantList shown{g.box()->text(), g.box()->cursorPosition(), g.box()->isEnabled(), g.box()->hasFocus(), w.dropTimer().isActive(),
                               QGuiApplication::styleHints()->cursorFlashTime() > 0, qint64(w.dropTimer().period().count())};
            // A screen reader reads what a label shows, not what it is for.
            for (const auto& [m, label] : {std::pair{&f.lblWord, w.wordLabel()}, {&f.lblScore, w.scoreLabel()}, {&f.lblPaused, w.pausedLabel()}}) {
                model << m->caption() << m->caption() << int(std::lround(m->top() / kTwipsPerPixel)) << m->visible();
                shown << label->text() << readOut(label) << label->y() << label->isVisible();
            }
            for (const MenuItem* m : {&f.mnuNewGame, &f.mnuPauseGame, &f.mnuExit, &f.mnuRules, &f.mnuAbout}) {
                model << m->caption() << m->enabled();
                shown << w.action(m->id())->text() << w.action(m->id())->isEnabled();
            }
            QCOMPARE(shown, model);
        };
        const auto then = [&](const auto&... writes) { ((writes(), mirrored()), ...); };
        then([] {}, [&] { f.txtWord.setEnabled(true); }, [&] { f.txtWord.setText(u"WO"_s); }, [&] { f.txtWord.setSelStart(1); },
             [&] { f.tmrSkyquill.setInterval(kIntervalLast); }, [&] { f.tmrSkyquill.setEnabled(true); },
             [&] { f.tmrSkyquill.setInterval(1); }, [&] { f.tmrSkyquill.setEnabled(false); });
        for (Label* l : {&f.lblWord, &f.lblScore, &f.lblPaused})
            then([&] { l->setCaption(u"7"_s); }, [&] { l->setTop(l->top() + 450); }, [&] { l->setVisible(!l->visible()); });
        for (MenuItem* m : {&f.mnuNewGame, &f.mnuPauseGame, &f.mnuExit, &f.mnuRules, &f.mnuAbout})
            then([&] { m->setCaption(u"&Other"_s); }, [&] { m->setEnabled(!m->enabled()); });
    }

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
        // Each step, and what the box holds after it. Paused (Esc), keys are
        // thrown away, composed ones too; edits are not, and X11 gives Delete
        // the text U+007F. The change rule cuts what Delete leaves.
        const std::pair<std::function<void()>, QString> steps[] = {
            {[&] { QTest::keyClicks(g.box(), word.left(2).toLower() + u'z'); g.key(Qt::Key_Backspace); }, word.left(2)},
            {[&] { g.key(Qt::Key_Escape); g.key(Qt::Key_Q); g.compose(u"\bq"_s); }, word.left(2)},
            {[&] { g.key(Qt::Key_Home); QTest::sendKeyEvent(QTest::Click, g.box(), Qt::Key_Delete, QChar(0x7f), {}); }, {}},
            {[&] { g.key(Qt::Key_Escape); g.compose(u'\b' + word.left(1).toLower()); }, word.left(1)}};
        for (const auto& [step, text] : steps) {
            step();
            QCOMPARE(g.box()->text(), text);
        }
    }

    // Ctrl+X from the entry box is the real-window test's.
    void theWordFallsABoxHoldsTheGameAndTheCloseBoxEndsIt()
    {
        Game g;
        const int y0 = g.window.wordLabel()->y();
        QTRY_VERIFY_WITH_TIMEOUT(g.window.wordLabel()->y() >= y0 + 6, 2000);
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
        g.key(Qt::Key_R, Qt::ControlModifier);  // shortcuts win in the entry box
        QTimer::singleShot(0, readBox);
        g.window.action(Element::mnuAbout)->trigger();
        const QString version = QString::number(kVersionMajor) + u'.' + QString::number(kVersionMinor + 100).mid(1);
        QCOMPARE(shown, (QStringList{u"Rules of Skyquill:Words will drop from different heights and at different speeds.\nYou will earn one "
                                     "point if you correctly type the word before it\nreaches the bottom. You will lose one point if you do "
                                     "not. Once\nyou earn 10 points you win the game. All of the words are real."_s,
                                     u"About Skyquill:Skyquill version %1\nType the falling words before they land."_s.arg(version)}));
        QVERIFY(!g.form.tmrSkyquill.enabled());
        g.key(Qt::Key_P, Qt::ControlModifier);
        const float closedAt = g.form.lblWord.top();
        g.window.close();  // the close box ends the program, and no tick follows
        QVERIFY(g.platform.ended() && g.platform.exitStatus() == 0);
        QTest::qWait(80);
        QCOMPARE(g.form.lblWord.top(), closedAt);
    }
};

QTEST_MAIN(ViewTest)
#include "view_test.moc"
