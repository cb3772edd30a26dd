#pragma once

#include "talk/text_format.h"

#include <QColor>

namespace besedka {

// The engine's 0x00BBGGRR colours as Qt colours, and back.
inline QColor toQColor(Color color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

inline Color fromQColor(const QColor& color) {
    return static_cast<Color>(color.red()) | static_cast<Color>(color.green()) << 8 |
           static_cast<Color>(color.blue()) << 16;
}

} // namespace besedka
