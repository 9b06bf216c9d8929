#include "qt/entry_box.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

#include <limits>

namespace skyquill {

namespace {

// The codes a key event produces: Backspace 8, Esc 27, else its text.
QString characterCodes(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Backspace:
        return QString(QChar(u'\b'));
    case Qt::Key_Escape:
        return QString(QChar(u'\x1b'));
    case Qt::Key_Delete:
        // X11 gives Delete the text U+007F, but it is an edit, not a character.
        return {};
    default:
        return event.text();
    }
}

}  // namespace

EntryBox::EntryBox(KeyFilter filter, QWidget* parent) : QLineEdit(parent), filter_(std::move(filter))
{
    // The box has no length limit of its own.
    setMaxLength(std::numeric_limits<int>::max());
}

bool EntryBox::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QKeySequence& shortcut : shortcuts_) {
            if (shortcut.matches(pressed) == QKeySequence::ExactMatch) {
                // Leave it unclaimed: the window's shortcut runs instead.
                event->ignore();
                return true;
            }
        }
    }
    return QLineEdit::event(event);
}

QString EntryBox::filtered(const QString& codes) const
{
    QString passed;
    for (const QChar c : codes) {
        const char16_t code = filter_(c.unicode());
        if (code != 0)
            passed += QChar(code);
    }
    return passed;
}

void EntryBox::keyPressEvent(QKeyEvent* event)
{
    const QString codes = characterCodes(*event);
    if (codes.isEmpty()) {
        // Keys without a character (Delete, arrows, Home, End) act as usual.
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString passed = filtered(codes);
    if (passed == codes) {
        QLineEdit::keyPressEvent(event);
    } else if (!passed.isEmpty()) {
        QKeyEvent replaced(event->type(), event->key(), event->modifiers(), passed, event->isAutoRepeat());
        QLineEdit::keyPressEvent(&replaced);
    }
    event->accept();
}

void EntryBox::inputMethodEvent(QInputMethodEvent* event)
{
    const QString committed = event->commitString();
    if (committed.isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    const QString passed = filtered(committed);
    if (passed == committed) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent replaced(event->preeditString(), event->attributes());
    replaced.setCommitString(passed, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&replaced);
    event->accept();
}

}  // namespace skyquill
