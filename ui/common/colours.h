#pragma once

#include "talk/text_format.h"

#include <QColor>
#include <QPalette>
#include <QWidget>

namespace besedka {

// The engine's 0x00BBGGRR colours as Qt colours, and back.
inline QColor toQColor(Colour colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

inline Colour fromQColor(const QColor& colour) {
    return static_cast<Colour>(colour.red()) | static_cast<Colour>(colour.green()) << 8 |
           static_cast<Colour>(colour.blue()) << 16;
}

// Grey text of a disabled control, readable on silver.
inline constexpr Colour kDisabledText = 0x808080;

// Sets a palette colour for every state, so that a disabled control keeps it.
inline void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

// Sets a control's text colour; disabled text stays grey, readable on silver.
inline void setTextColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Active, role, colour);
    palette.setColor(QPalette::Inactive, role, colour);
    palette.setColor(QPalette::Disabled, role, toQColor(kDisabledText));
    widget->setPalette(palette);
}

// Keeps a widget's texts readable on silver while its window is disabled.
inline void keepDisabledTextReadable(QWidget* widget) {
    QPalette palette = widget->palette();
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, toQColor(kDisabledText));
    }
    widget->setPalette(palette);
}

// Gives a widget a background of its own that does not follow its parent's.
inline void setOwnBackground(QWidget* widget, const QColor& colour) {
    setColour(widget, QPalette::Window, colour);
    widget->setAutoFillBackground(true);
}

} // namespace besedka
