#pragma once

#include "text/text_lines.h"

#include <string>
#include <vector>

namespace besedka {

// A plain text as the program's Windows-1251 lines, whatever it was saved
// in: UTF-16 with its byte order mark, UTF-8 with or without one, Windows-1251
// or KOI8-R. Without a byte order mark each line is read on its own: a line
// that is UTF-8 is read as UTF-8 (in a text mostly of another code page, only
// when it loses nothing), any other line in the code page that the text's
// 8-bit lines read best in. Lines are separated as plainTextLines() does; a
// DOS end-of-file mark (Ctrl+Z) at the very end is no part of the text.
struct DecodedText {
    TextLines lines;
    std::vector<bool> lossy; // a character without a Windows-1251 form became '?'
};
DecodedText decodePlainText(std::string bytes);

} // namespace besedka
