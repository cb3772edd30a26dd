#pragma once

#include "text/cp1251.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace besedka {

// The program's only case mapping: а..я -> А..Я and ё -> Ё, byte by byte in
// Windows-1251. Latin letters and every other byte stay as they are.
char cyrillicUpper(char c);
std::string cyrillicUpper(std::string_view text);

// The text as a search compares it: in capitals, with "Ё" as "Е", so that
// "все хорошо" finds "ВСЁ ХОРОШО". The chat's own key match keeps "Ё".
char searchFolded(char c);
std::string searchFolded(std::string_view text);

// Russian text written in UTF-8 in the sources, as the program's Windows-1251.
inline std::string ru(std::string_view utf8) {
    return utf8ToCp1251(utf8);
}

// The word that goes with a number in Russian: `one` for 1, 21, 101 …,
// `few` for 2–4, 22–24 …, `many` for the rest ("1 строку", "3 строки",
// "5 строк"); any encoding, as given.
inline std::string_view russianPlural(std::size_t count, std::string_view one, std::string_view few,
                                      std::string_view many) {
    const std::size_t lastTwo = count % 100;
    const std::size_t last = count % 10;
    if (last == 1 && lastTwo != 11) {
        return one;
    }
    return last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14) ? few : many;
}

} // namespace besedka
