// The Qt view of the game window. It draws the element model, forwards the
// player's keys, edits, menu choices, timer ticks and the close box to the
// game's handlers, and decides no rule itself.
#pragma once

#include "core/form.h"
#include "qt/drop_timer.h"
#include "qt/entry_box.h"
#include "qt/qt_platform.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>

#include <vector>

namespace skyquill {

class GameWindow final : public QMainWindow, public ElementListener {
    Q_OBJECT
public:
    GameWindow(frmSkyquill& form, QtPlatform& platform);
    ~GameWindow() override;

    GameWindow(const GameWindow&) = delete;
    GameWindow& operator=(const GameWindow&) = delete;

    void elementChanged(Element element, Property property) override;

    // Opens the window centred on the screen.
    void showCentred();

    // Widgets, for the view tests.
    QWidget* field() const { return field_; }
    QLabel* wordLabel() const { return lblWord_; }
    QLabel* scoreLabel() const { return lblScore_; }
    QLabel* pausedLabel() const { return lblPaused_; }
    QWidget* groundLine() const { return line_; }
    EntryBox* entryBox() const { return txtWord_; }
    QAction* action(Element item) const;
    const DropTimer& dropTimer() const { return *timer_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildField();
    void buildMenus();
    // Puts the window, in a frame of these widths, at the centre of its screen
    // (at its top where the frame is taller than the screen).
    void centre(const QMargins& frameMargins);
    void mirrorAll();
    void mirrorTimer();
    void mirrorLabel(const Label& model, QLabel* widget, Property property);
    void mirrorEntry(Property property);
    // Runs a handler unless the program has ended or a message box is open.
    template <typename Handler>
    void forward(Handler&& handler);

    frmSkyquill& form_;
    QtPlatform& platform_;
    QWidget* field_ = nullptr;
    QLabel* lblWord_ = nullptr;
    QLabel* lblScore_ = nullptr;
    QLabel* lblPaused_ = nullptr;
    QWidget* line_ = nullptr;
    EntryBox* txtWord_ = nullptr;
    // Each menu item of the model with the action that shows it.
    struct MenuBinding {
        const MenuItem* item;
        QAction* action;
    };
    std::vector<MenuBinding> menus_;
    DropTimer* timer_ = nullptr;
    int flashTime_;
};

}  // namespace skyquill
