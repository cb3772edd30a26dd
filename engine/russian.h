#pragma once

#include "cp1251.h"

#include <string>
#include <string_view>

namespace besedka {

// Russian text written in UTF-8 in the sources, as the program's Windows-1251.
inline std::string ru(std::string_view utf8) {
    return utf8ToCp1251(utf8);
}

} // namespace besedka
