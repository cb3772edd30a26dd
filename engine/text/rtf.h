#pragma once

#include "text/text_lines.h"

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
// dropped and the text after it is read as further lines. `closed` tells
// whether the document's outermost group closed, as every writer closes it: a
// document that stops before is cut short.
struct RtfText {
    std::vector<std::string> lines;
    std::vector<std::size_t> strayBraces;
    bool closed = false;
};
std::optional<RtfText> readRtfText(std::string_view bytes);

// An RTF document whose paragraphs are `lines` (Windows-1251); readRtf gives
// the same lines back.
std::string writeRtf(const TextLines& lines);
std::string writeRtf(const std::vector<std::string>& lines);

// What writeRtf writes, with the offset at which each line's paragraph starts
// and, after the last, the offset of the closing brace.
struct RtfDocument {
    std::string bytes;
    std::vector<std::size_t> paragraphStarts;
};
RtfDocument writeRtfDocument(const TextLines& lines);
// Turns `document`, written for `written`, into the document for `lines`
// (which share views with `written`) where it stands: the paragraphs of the
// lines that are the very views of `written` are kept rather than written
// again. `written` must be alive and unchanged since it was written.
void rewriteRtfDocument(RtfDocument& document, const TextLines& written, const TextLines& lines);

} // namespace besedka
