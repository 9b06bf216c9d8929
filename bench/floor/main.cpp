// The floor: the least a Qt window of the game's shape costs. A 290x565 black
// client area under a menu bar with one menu, three labels and a line edit;
// Ctrl+N starts moving the word label 2 pixels on a 64 Hz timer, and nothing
// runs before that. No word list, no rules: whatever the game spends beyond
// this window is its own.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>

#include <chrono>
#include <cmath>

namespace {

// Same fonts as the game, so text layout and glyph caching cost the same.
QFont boldFont(double points)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    font.setBold(true);
    return font;
}

QLabel* label(QWidget* parent, const QRect& box, const QString& text, double points, QColor color)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(box);
    l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    l->setFont(boldFont(points));
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, color);
    l->setPalette(p);
    return l;
}

class FloorWindow : public QMainWindow {
public:
    FloorWindow()
    {
        setWindowTitle(QStringLiteral("Floor"));
        auto* field = new QWidget(this);
        field->setFixedSize(290, 565);
        field->setAutoFillBackground(true);
        QPalette p = field->palette();
        p.setColor(QPalette::Window, Qt::black);
        field->setPalette(p);
        setCentralWidget(field);

        word_ = label(field, QRect(16, kTop, 257, 33), QStringLiteral("ABCDEFGHI"), 13.5, Qt::yellow);
        word_->hide();
        label(field, QRect(16, 40, 257, 40), QStringLiteral("Game Paused"), 24.0, Qt::red)->hide();
        QLabel* score = label(field, QRect(240, 520, 41, 33), QStringLiteral("0"), 18.0, Qt::black);
        score->setAutoFillBackground(true);
        QPalette sp = score->palette();
        sp.setColor(QPalette::Window, QColor(128, 255, 128));
        score->setPalette(sp);
        auto* entry = new QLineEdit(field);
        entry->setGeometry(8, 520, 225, 33);
        entry->setAlignment(Qt::AlignCenter);
        entry->setFont(boldFont(13.5));

        QAction* start = menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("&New Game"));
        start->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
        connect(start, &QAction::triggered, this, &FloorWindow::start);

        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        connect(&timer_, &QTimer::timeout, this, &FloorWindow::tick);
    }

private:
    static constexpr int kTop = 8;
    static constexpr int kBottom = 482;
    // 64 Hz; Qt timers take whole milliseconds, so deadlines are kept on a
    // steady clock and each wait is rounded up, as any 64 Hz Qt timer must.
    static constexpr std::chrono::nanoseconds kPeriod = std::chrono::microseconds(15625);

    void start()
    {
        word_->move(word_->x(), kTop);
        word_->show();
        clock_.start();
        deadline_ = kPeriod;
        arm();
    }

    void arm()
    {
        const auto wait = deadline_ - std::chrono::nanoseconds(clock_.nsecsElapsed());
        timer_.start(wait.count() <= 0 ? 0 : static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count()));
    }

    void tick()
    {
        if (std::chrono::nanoseconds(clock_.nsecsElapsed()) < deadline_)
            return arm();
        deadline_ += kPeriod;
        const int y = word_->y() + 2;
        word_->move(word_->x(), y >= kBottom ? kTop : y);
        arm();
    }

    QLabel* word_ = nullptr;
    QTimer timer_;
    QElapsedTimer clock_;
    std::chrono::nanoseconds deadline_{0};
};

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    FloorWindow window;
    window.show();
    return QApplication::exec();
}
