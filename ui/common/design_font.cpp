#include "common/design_font.h"

namespace besedka {

QFont designFont() {
    return QFont(QLatin1String(kDesignFace), kDesignPointSize);
}

void installDesignFontSubstitute() {
    QFont::insertSubstitution(QLatin1String(kDesignFace), QStringLiteral("Liberation Sans"));
}

} // namespace besedka
