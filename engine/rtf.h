#pragma once

#include "text_lines.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace besedka {

// The paragraphs of an RTF document as Windows-1251 lines, or nothing when
// the bytes are not an RTF document. Never crashes, hangs or recurses,
// whatever the bytes.
std::optional<TextLines> readRtfLines(std::string_view bytes);
std::optional<std::vector<std::string>> readRtf(std::string_view bytes);

// The paragraphs of an RTF document, and the lines (counted from 0) in which
// a "}" closed the document while text still followed. Such a brace is
// dropped and the text after it is read as further lines.
struct RtfText {
    std::vector<std::string> lines;
    std::vector<std::size_t> strayBraces;
};
std::optional<RtfText> readRtfText(std::string_view bytes);

// An RTF document whose paragraphs are `lines` (Windows-1251); readRtf gives
// the same lines back.
std::string writeRtf(const TextLines& lines);
std::string writeRtf(const std::vector<std::string>& lines);

} // namespace besedka
