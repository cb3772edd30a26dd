#pragma once

#include <string>
#include <string_view>

namespace besedka {

// KOI8-R text as Windows-1251: the letters, "ё", "Ё", the no-break space, "°",
// "·" and "©"; '?' for the box-drawing and other signs that Windows-1251 has
// no form for.
std::string koi8rToCp1251(std::string_view text);
char koi8rToCp1251(unsigned char byte);

} // namespace besedka
