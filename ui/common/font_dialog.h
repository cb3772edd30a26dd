#pragma once

#include "talk/text_format.h"

#include <QFont>

class QFontDialog;

namespace besedka {

// Font descriptions between the engine's form and Qt's.
QFont toQFont(const FontSpec& wanted);
FontSpec toFontSpec(const QFont& font);

// Makes Qt's font dialog offer face, style and size only (no effects, no
// writing system), and with `sizeFixedAt8` size 8 only: another size chosen in
// it springs back to 8.
void setUpFontDialog(QFontDialog& dialog, bool sizeFixedAt8);
// The dialog's font as the window takes it.
FontSpec chosenFont(const QFontDialog& dialog, bool sizeFixedAt8);

} // namespace besedka
