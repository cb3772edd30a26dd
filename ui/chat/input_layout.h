#pragma once

#include <QString>

namespace besedka {

// The input field's text re-read as typed on the Russian layout. Every key of
// the Latin layout gives an ASCII character, so only those go through the
// layout table; any other character, one that Windows-1251 lacks included,
// stays exactly as it is.
QString convertInputLayout(const QString& text);

} // namespace besedka
