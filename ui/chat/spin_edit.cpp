#include "chat/spin_edit.h"

#include "chat/auto_select.h"

#include <QFocusEvent>
#include <QLineEdit>

#include <algorithm>

namespace besedka {

SpinEdit::SpinEdit(int minimum, int maximum, QWidget* parent)
    : QAbstractSpinBox(parent), minimum_(minimum), maximum_(maximum) {
    connect(lineEdit(), &QLineEdit::textChanged, this, &SpinEdit::textChanged);
    setValue(minimum);
}

std::optional<long long> SpinEdit::number() const {
    bool ok = false;
    const long long parsed = text().toLongLong(&ok);
    return ok ? std::optional<long long>(parsed) : std::nullopt;
}

long long SpinEdit::limited(long long value) const {
    return std::clamp<long long>(value, minimum_, maximum_);
}

int SpinEdit::value() const {
    return static_cast<int>(limited(number().value_or(minimum_)));
}

void SpinEdit::setValue(int value) {
    setText(QString::number(limited(value)));
}

void SpinEdit::setText(const QString& text) {
    lineEdit()->setText(text);
}

void SpinEdit::stepBy(int steps) {
    // The arrows step from the number as typed, even one out of bounds.
    setText(QString::number(limited(number().value_or(minimum_) + steps)));
    selectAll();
}

QValidator::State SpinEdit::validate(QString& input, int&) const {
    const bool allowed = std::all_of(input.cbegin(), input.cend(),
                                     [](QChar c) { return c.isDigit() || c == u'-' || c == u'+'; });
    return allowed ? QValidator::Acceptable : QValidator::Invalid;
}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const {
    return StepUpEnabled | StepDownEnabled;
}

void SpinEdit::focusInEvent(QFocusEvent* event) {
    QAbstractSpinBox::focusInEvent(event);
    if (entersByFocusMove(event->reason())) {
        selectAll();
    }
}

void SpinEdit::focusOutEvent(QFocusEvent* event) {
    QAbstractSpinBox::focusOutEvent(event);
    // Text that is not a number stays as it is; it already counts as the
    // lower bound.
    if (const auto typed = number(); typed && limited(*typed) != *typed) {
        setValue(static_cast<int>(limited(*typed)));
    }
}

} // namespace besedka
