#pragma once

#include "text/cp1251.h"

#include <string>
#include <string_view>

namespace besedka {

// The program's only case mapping: а..я -> А..Я and ё -> Ё, byte by byte in
// Windows-1251. Latin letters and every other byte stay as they are.
char cyrillicUpper(char c);
std::string cyrillicUpper(std::string_view text);

// The text as a search compares it: in capitals, with "Ё" as "Е", so that
// "все хорошо" finds "ВСЁ ХОРОШО". The chat's own key match keeps "Ё".
std::string searchFolded(std::string_view text);

// Russian text written in UTF-8 in the sources, as the program's Windows-1251.
inline std::string ru(std::string_view utf8) {
    return utf8ToCp1251(utf8);
}

} // namespace besedka
