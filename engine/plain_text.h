#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace besedka {

// Lines of a plain text separated by CR LF, LF or CR; a line break at the very
// end does not start a further, empty line. An empty text has no lines.
std::vector<std::string> splitPlainLines(std::string_view text);

// Every line followed by CR LF.
std::string joinCrLf(const std::vector<std::string>& lines);

// Splits at every line break, a final one included ("a\r\n" gives "a" and ""),
// as a rich-text list does when a text with line breaks is added to it.
std::vector<std::string> splitAtLineBreaks(std::string_view text);

} // namespace besedka
