#pragma once

#include "text/cp1251.h"

#include <QList>
#include <QString>

#include <cstddef>
#include <optional>
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

// A typed phrase as the engine takes it: what Windows-1251 cannot hold is
// left out rather than made "?".
inline std::string phraseFromQString(const QString& text) {
    return utf8ToCp1251Dropping(text.toStdString());
}

// A count as the window writes it.
inline QString number(std::size_t value) {
    return QString::number(static_cast<qulonglong>(value));
}

// The first character of `text` that Windows-1251 cannot write (fromQString
// would make it "?"), or nothing when it can write them all.
inline std::optional<char32_t> firstOutsideCp1251(const QString& text) {
    for (const char32_t character : text.toUcs4()) {
        if (character != U'?' && unicodeToCp1251(character) == '?') {
            return character;
        }
    }
    return std::nullopt;
}

} // namespace besedka
