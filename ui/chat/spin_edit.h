#pragma once

#include <QAbstractSpinBox>

#include <optional>

namespace besedka {

// An integer field with up and down arrows whose text may also hold what is
// not a number (empty, "-", "1-2"): the user sees the text as typed, and the
// value counts it as the lower bound. A number outside the bounds is kept
// while the field has the focus and brought to the nearest bound when it
// loses it. Typing accepts digits and signs only.
class SpinEdit final : public QAbstractSpinBox {
    Q_OBJECT
    // Screen readers take a spin box's value from this property.
    Q_PROPERTY(int value READ value WRITE setValue)

  public:
    SpinEdit(int minimum, int maximum, QWidget* parent = nullptr);

    // The text's integer limited to the bounds; the lower bound when the text
    // is not a number.
    int value() const;
    void setValue(int value);
    void setText(const QString& text);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& position) const override;

  signals:
    // Any change of the text: typed, by the arrows or set.
    void textChanged(const QString& text);

  protected:
    StepEnabled stepEnabled() const override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    // The text's integer, unlimited; nothing when it is not a number.
    std::optional<long long> number() const;
    long long limited(long long value) const;

    int minimum_;
    int maximum_;
};

} // namespace besedka
