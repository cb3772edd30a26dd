#pragma once

#include "text/text_lines.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace besedka {

// Lines of a plain text separated by CR LF, LF or CR; a line break at the very
// end does not start a further, empty line. An empty text has no lines.
std::vector<std::string> splitPlainLines(std::string_view text);
// The same lines as views into `text`, which they keep alive.
TextLines plainTextLines(std::shared_ptr<const std::string> text);

// Every line followed by CR LF.
std::string joinCrLf(const std::vector<std::string>& lines);

// Splits at every line break, a final one included ("a\r\n" gives "a" and ""),
// as a rich-text list does when a text with line breaks is added to it.
std::vector<std::string> splitAtLineBreaks(std::string_view text);

// A plain text that was saved as UTF-8, converted to Windows-1251 ('?' for
// what that has no form for and for a broken sequence): one that starts with
// a UTF-8 byte order mark, or is UTF-8 with multi-byte sequences and at most
// a few broken ones (see mostlyUtf8). Nothing for any other text.
// Windows-1251 Cyrillic is practically never UTF-8, and the check stops
// early on it.
std::optional<std::string> utf8TextAsCp1251(std::string_view text);

} // namespace besedka
