#pragma once

#include "text/cp1251.h"

#include <QString>

#include <string>
#include <string_view>

namespace besedka {

// The engine speaks Windows-1251; Qt speaks Unicode. Convert at the boundary.
inline QString toQString(std::string_view cp1251) {
    const std::string utf8 = cp1251ToUtf8(cp1251);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string fromQString(const QString& text) {
    return utf8ToCp1251(text.toStdString());
}

} // namespace besedka
