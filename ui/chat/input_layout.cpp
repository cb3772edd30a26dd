#include "chat/input_layout.h"

#include "common/qt_text.h"
#include "talk/layout_conversion.h"

#include <string>

namespace besedka {

QString convertInputLayout(const QString& text) {
    QString converted = text;
    for (QChar& c : converted) {
        if (c.unicode() < 0x80) {
            const std::string key(1, static_cast<char>(c.unicode()));
            c = toQString(convertLatinLayout(key)).at(0);
        }
    }
    return converted;
}

} // namespace besedka
