#include "chat/input_field.h"

#include <QKeyEvent>
#include <QValidator>

#include <algorithm>

namespace besedka {
namespace {

bool isLineBreak(QChar c) {
    return c == u'\r' || c == u'\n';
}

// Runs on every change of the field: an insertion ends at the cursor, so a
// line break before the cursor came with it, and the inserted text is cut
// there; what followed the cursor stays.
class OneLineValidator final : public QValidator {
  public:
    explicit OneLineValidator(QObject* parent) : QValidator(parent) {}

    State validate(QString& text, int& pos) const override {
        const auto lineBreak = std::find_if(text.cbegin(), text.cend(), isLineBreak);
        if (lineBreak != text.cend()) {
            const auto cut = static_cast<int>(lineBreak - text.cbegin());
            QString rest = pos > cut ? text.mid(pos) : QString();
            rest.truncate(static_cast<qsizetype>(
                std::find_if(rest.cbegin(), rest.cend(), isLineBreak) - rest.cbegin()));
            text = text.left(cut) + rest;
            pos = cut;
        }
        QString kept;
        const int cursor = pos;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i].unicode() >= 0x20 || text[i] == u'\t') {
                kept += text[i];
            } else if (i < cursor) {
                --pos;
            }
        }
        text = kept;
        return Acceptable;
    }
};

} // namespace

InputField::InputField(QWidget* parent) : QLineEdit(parent) {
    setValidator(new OneLineValidator(this));
}

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
