// The entry box widget. Every key that produces a character goes through the
// game's key filter before the box sees it, and the window's menu shortcuts
// win over the line edit's own Ctrl+X (cut) and Ctrl+A (select all).
#pragma once

#include <QKeySequence>
#include <QLineEdit>

#include <functional>
#include <vector>

namespace skyquill {

class EntryBox : public QLineEdit {
    Q_OBJECT
public:
    // The filter gets a character code and returns the code the box should
    // receive; 0 means nothing.
    using KeyFilter = std::function<char16_t(char16_t)>;

    explicit EntryBox(KeyFilter filter, QWidget* parent = nullptr);

    void setWindowShortcuts(std::vector<QKeySequence> shortcuts) { shortcuts_ = std::move(shortcuts); }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Text composed through an input method (dead keys, compose) is typed
    // characters too, so it passes the same filter.
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    QString filtered(const QString& codes) const;

    KeyFilter filter_;
    std::vector<QKeySequence> shortcuts_;
};

}  // namespace skyquill
