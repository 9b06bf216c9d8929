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

QColor color(Rgb rgb) { return {rgb.r, rgb.g, rgb.b}; }
QRect pixelRect(Box b) { return {pixels(b.left), pixels(b.top), pixels(b.width), pixels(b.height)}; }
QString readOut(QWidget* widget) { return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name); }

}  // namespace

class ViewTest : public QObject {
    Q_OBJECT
private slots:
    // One window: as it opens, as the model changes under it, then played
    // until the close box ends it.
    void theWindowShowsTheDesignMirrorsTheModelAndWiresEventsToTheGame()
    {
        QtPlatform platform;
        frmSkyquill f{platform};
        QApplication::setPalette(QPalette(QColor(0x31363b)));  // a dark desktop: light text on dark backgrounds
        GameWindow w{f, platform};
        EntryBox* const box = w.entryBox();
        testing::loadWords(f, {u"cart"_s, u"dog"_s});
        w.showCentred();
        (void)QTest::qWaitForWindowActive(&w);  // the checks that need it fail on their own
        QCOMPARE(w.minimumSize(), w.maximumSize());  // the window can't be resized
        // A colour the design leaves to the desktop is not compared, nor the font of a widget without text.
        struct Look { QWidget* widget; QRect geometry; Qt::Alignment alignment; double points; QColor text, fill; };
        const QRect line(pixels(kLineX1), pixels(kLineY) - kLinePixels / 2, pixels(kLineX2 - kLineX1), kLinePixels);
        const Look looks[] = {{w.field(), {0, w.menuBar()->height(), pixels(kClientWidth), pixels(kClientHeight)}, {}, 0, {}, color(kBlack)},
                              {w.groundLine(), line, {}, 0, {}, color(kRed)},
                              {w.wordLabel(), pixelRect(kWordBox), kLabelAlignment, kWordPoints, color(kYellow), {}},
                              {w.pausedLabel(), pixelRect(kPausedBox), kLabelAlignment, kPausedPoints, color(kRed), {}},
                              {w.scoreLabel(), pixelRect(kScoreBox), kLabelAlignment, kScorePoints, {}, color(kLightGreen)},  // text: below
                              {box, pixelRect(kEntryBox), kEntryAlignment, kEntryPoints, {}, {}}};
        for (const auto& [widget, geometry, alignment, points, text, fill] : looks)
            QCOMPARE((QVariantList{widget->geometry(), int(widget->property("alignment").value<Qt::Alignment>()),
                                   points > 0 ? widget->font().pixelSize() : 0, points > 0 && widget->font().bold(),
                                   text.isValid() ? widget->palette().color(widget->foregroundRole()) : text,
                                   widget->autoFillBackground() ? widget->palette().color(widget->backgroundRole()) : QColor()}),
                     (QVariantList{geometry, int(alignment), qRound(points * kTwipsPerPoint / kTwipsPerPixel), points > 0, text, fill}));
        // The score's dark text stands out of its light box by WCAG's AA
        // ratio; the entry box takes the desktop's text and background together.
        const auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        const auto luminance = [&](QColor c) { return .2126 * linear(c.redF()) + .7152 * linear(c.greenF()) + .0722 * linear(c.blueF()); };
        const QPalette score = w.scoreLabel()->palette();
        QVERIFY((luminance(score.color(QPalette::Window)) + 0.05) / (luminance(score.color(QPalette::WindowText)) + 0.05) >= 4.5);
        for (const QPalette::ColorRole role : {QPalette::Text, QPalette::Base})
            QCOMPARE(box->palette().color(role), QApplication::palette().color(box->palette().currentColorGroup(), role));
        QStringList menus;
        for (QAction* menu : w.menuBar()->actions())
            for (const QAction* item : QList{menu} + menu->menu()->actions())
                menus += item->isSeparator() ? u"--"_s : item->text() + u' ' + item->shortcut().toString();
        const auto item = [](QStringView text, QKeySequence key = {}) { return text.toString() + u' ' + key.toString(); };
        QCOMPARE(menus, (QStringList{item(kFileMenu), item(kNewGame, kNewGameKey), item(kPauseGame, kPauseGameKey), u"--"_s,
                                     item(kExit, kExitKey), item(kHelpMenu), item(kRules, kRulesKey), item(kAbout, kAboutKey)}));

        // Each property of the model beside what its widget shows: as the window
        // opens, and after each write of a new value.
        const auto mirrored = [&] {
            // An enabled box has the focus, ready to type; paused, nothing may
            // wake the program, not even the caret's blinking.
            QCOMPARE((QVariantList{box->text(), box->cursorPosition(), box->isEnabled(), box->hasFocus(), w.dropTimer().isActive(),
                                   QGuiApplication::styleHints()->cursorFlashTime() > 0, qint64(w.dropTimer().period().count())}),
                     (QVariantList{f.txtWord.text(), f.txtWord.selStart(), f.txtWord.enabled(), f.txtWord.enabled(), f.tmrSkyquill.enabled(),
                                   f.tmrSkyquill.enabled(), qint64(TickSchedule::periodFor(f.tmrSkyquill.interval()).count())}));
            // A screen reader reads what a label shows, not what it is for.
            for (auto [m, label] : {std::pair{&f.lblWord, w.wordLabel()}, {&f.lblScore, w.scoreLabel()}, {&f.lblPaused, w.pausedLabel()}})
                QCOMPARE((QVariantList{label->text(), readOut(label), label->y(), label->isVisible()}),
                         (QVariantList{m->caption(), m->caption(), qRound(m->top() / kTwipsPerPixel), m->visible()}));
            for (const MenuItem* m : {&f.mnuNewGame, &f.mnuPauseGame, &f.mnuExit, &f.mnuRules, &f.mnuAbout})
                QCOMPARE(std::pair(w.action(m->id())->text(), w.action(m->id())->isEnabled()), std::pair(m->caption(), m->enabled()));
        };
        const auto then = [&](const auto&... writes) { ((writes(), mirrored()), ...); };
        then([] {}, [&] { f.txtWord.setEnabled(true); }, [&] { f.txtWord.setText(u"WO"_s); }, [&] { f.txtWord.setSelStart(1); },
             [&] { f.tmrSkyquill.setInterval(kIntervalLast); }, [&] { f.tmrSkyquill.setEnabled(true); },
             [&] { f.tmrSkyquill.setInterval(1); }, [&] { f.tmrSkyquill.setEnabled(false); });
        for (Label* l : {&f.lblWord, &f.lblScore, &f.lblPaused})
            then([&] { l->setCaption(u"7"_s); }, [&] { l->setTop(l->top() + 450); }, [&] { l->setVisible(!l->visible()); });
        // Each menu item is enabled both ways, and left as it was for the play.
        for (MenuItem* m : {&f.mnuNewGame, &f.mnuPauseGame, &f.mnuExit, &f.mnuRules, &f.mnuAbout})
            then([&] { m->setCaption(u"&Other"_s); }, [&] { m->setEnabled(!m->enabled()); }, [&] { m->setEnabled(!m->enabled()); });
        // The drop timer keeps the classic granularity: whole 64 Hz ticks of at least 10 ms.
        for (const auto& [ms, us] : {std::pair{-5, 15625}, {16, 31250}, {47, 62500}})
            QCOMPARE(TickSchedule::periodFor(ms), std::chrono::microseconds(us));

        // Played. Keys pass the game's filter, composed text too: no wrong
        // letter, no Backspace in this game, and Esc pauses. Edits don't: X11
        // gives Delete the text U+007F, and paused, it still edits.
        f.mnuNewGame_Click();
        const QString word = f.lblWord.caption();
        QInputMethodEvent composed;
        composed.setCommitString(u'\b' + word.left(1).toLower());
        QCoreApplication::sendEvent(box, &composed);
        QCOMPARE(box->text(), word.left(1));
        QTest::keyClicks(box, word.mid(1, 1).toLower() + u"z\b\x1b"_s);
        QCOMPARE(box->text(), word.left(2));
        QTest::keyClick(box, Qt::Key_Home);
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_Delete, QChar(0x7f), {});
        QCOMPARE(box->text(), QString());  // the change rule cuts what Delete leaves
        QTest::keyClick(box, Qt::Key_P, Qt::ControlModifier);  // Pause's shortcut resumes: the word falls again
        const int y0 = w.wordLabel()->y();
        QTRY_VERIFY_WITH_TIMEOUT(w.wordLabel()->y() >= y0 + 6, 2000);
        // The box is modal as soon as it shows, before its event loop runs this.
        QStringList shown;
        const auto readBox = [&] {
            auto* message = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(message != nullptr && message->icon() == QMessageBox::NoIcon && message->buttons().size() == 1);
            shown += message->windowTitle() + u':' + message->text();
            w.action(Element::mnuPauseGame)->trigger();  // must not reach the game
            message->accept();
        };
        QTimer::singleShot(0, readBox);
        // Shortcuts win in the entry box, where the line edit would take Ctrl+A
        // for Select All (and Ctrl+X, the real-window test's, for Cut).
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTimer::singleShot(0, readBox);
        w.action(Element::mnuRules)->trigger();
        const QString version = QString::number(kVersionMajor) + u'.' + QString::number(kVersionMinor + 100).mid(1);
        QCOMPARE(shown, (QStringList{u"About Skyquill:Skyquill version %1\nType the falling words before they land."_s.arg(version),
                                     u"Rules of Skyquill:Words will drop from different heights and at different speeds.\nYou will earn one "
                                     "point if you correctly type the word before it\nreaches the bottom. You will lose one point if you do "
                                     "not. Once\nyou earn 10 points you win the game. All of the words are real."_s}));
        QVERIFY(!f.tmrSkyquill.enabled());
        w.close();  // the close box ends the program: nothing may follow it here
        QVERIFY(platform.ended() && platform.exitStatus() == 0);
    }
};

QTEST_MAIN(ViewTest)
#include "view_test.moc"
