#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace besedka {

// A text saved as UTF-16 ("Unicode" in Windows' editors), which starts with
// its byte order mark (FF FE little-endian, FE FF big-endian), as UTF-8
// without the mark. A lone surrogate or an odd last byte becomes U+FFFD.
// Nothing for a text without the mark.
std::optional<std::string> utf16TextAsUtf8(std::string_view bytes);

} // namespace besedka
