#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace besedka {

// Re-reads Windows-1251 text typed on the Latin layout as if typed on the
// Russian one, character by character in one pass: a produced character is
// not looked up again. Everything outside the table stays as it is.
std::string convertLatinLayout(std::string_view text);

// Number of characters the conversion changes.
std::size_t layoutTableSize();

} // namespace besedka
