#pragma once

#include <QFont>

namespace besedka {

// The face the window's fixed sizes were drawn for.
inline constexpr const char* kDesignFace = "MS Sans Serif";
inline constexpr int kDesignPointSize = 8;

// "MS Sans Serif" 8 pt.
QFont designFont();

// Makes "MS Sans Serif" show in Liberation Sans: a free face with Cyrillic
// and a bold style whose widths fit every fixed caption, label and status
// text of the windows (the wider fallback face cut the learned-phrase count).
void installDesignFontSubstitute();

} // namespace besedka
