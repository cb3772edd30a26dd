#pragma once

#include <optional>
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
// Writes `text` as UTF-8 at `out`, which has room for 3 * text.size() + 1
// bytes; returns the end of what it wrote.
char* cp1251ToUtf8(std::string_view text, char* out);

// Invalid UTF-8 (malformed, overlong, surrogate or beyond U+10FFFF) becomes
// '?' like unrepresentable characters: one '?' per broken sequence.
std::string utf8ToCp1251(std::string_view text);
// The same leaving out what Windows-1251 cannot hold (emoji, other scripts,
// broken sequences): a phrase must never learn "?" for them, a key that
// would occur in every question.
std::string utf8ToCp1251Dropping(std::string_view text);

// Where the first byte that does not begin a valid UTF-8 sequence lies, or
// nothing when all of the text is valid UTF-8. Stops at that byte.
std::optional<std::size_t> firstInvalidUtf8(std::string_view text);

// Whether `text` was written as UTF-8: it holds multi-byte sequences, and at
// most one broken sequence to twenty good ones (a UTF-8 file damaged in a
// byte or two). Windows-1251 Cyrillic breaks at nearly every letter.
bool mostlyUtf8(std::string_view text);

// Whether a line holds more good multi-byte UTF-8 sequences than broken ones:
// a damaged UTF-8 line still does, a Windows-1251 or KOI8-R Cyrillic line
// breaks at nearly every letter. Stops once the rest cannot tip it.
bool readsAsUtf8(std::string_view line);

} // namespace besedka
