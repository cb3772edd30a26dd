#pragma once

#include <QFocusEvent>
#include <QLineEdit>

namespace besedka {

// Whether the keyboard focus came to a field by a focus move (Tab, a
// shortcut, a move made by the program) rather than by a click or by its
// window becoming active again. A field entered so selects its whole text,
// and typing then replaces it.
inline bool entersByFocusMove(Qt::FocusReason reason) {
    switch (reason) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
    case Qt::OtherFocusReason:
        return true;
    default:
        return false;
    }
}

// A one-line field that selects its whole text when a focus move enters it.
class AutoSelectEdit final : public QLineEdit {
  public:
    explicit AutoSelectEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}

  protected:
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        if (entersByFocusMove(event->reason())) {
            selectAll();
        }
    }
};

} // namespace besedka
