#include "input_field.h"

#include <QKeyEvent>

#include <algorithm>

namespace besedka {

bool InputField::isWindowKey(const QKeyEvent& event) const {
    const QKeySequence pressed(event.keyCombination());
    return std::any_of(windowKeys_.begin(), windowKeys_.end(),
                       [&](const QKeySequence& key) { return key == pressed; });
}

bool InputField::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && isWindowKey(*static_cast<QKeyEvent*>(event))) {
        event->ignore(); // let the menu item's shortcut have the key
        return true;
    }
    return QLineEdit::event(event);
}

void InputField::keyPressEvent(QKeyEvent* event) {
    if (isWindowKey(*event)) {
        event->ignore(); // its item is disabled: the key does nothing
        return;
    }
    if (event->matches(QKeySequence::Copy) && !hasSelectedText() && copyElsewhere_) {
        copyElsewhere_();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace besedka
