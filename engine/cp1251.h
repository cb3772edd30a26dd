#pragma once

#include <string>
#include <string_view>

namespace besedka {

// Text of the program is Windows-1251 bytes held in std::string; the outside
// world (terminal, Qt) speaks Unicode. These two convert exactly.

// Unicode code point of one Windows-1251 byte. The one undefined byte, 0x98,
// maps to U+0098 so that every byte survives a round trip.
char32_t cp1251ToUnicode(unsigned char byte);

// Windows-1251 byte for a code point, or '?' when the code page has none.
char unicodeToCp1251(char32_t codePoint);

std::string cp1251ToUtf8(std::string_view text);

// Malformed UTF-8 sequences become '?' like unrepresentable characters.
std::string utf8ToCp1251(std::string_view text);

} // namespace besedka
