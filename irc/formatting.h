#pragma once

// IRC text formatting: colours, bold, italics, underline, strike-through,
// monospace, reverse and reset are control characters inside the text.

#include <string>
#include <string_view>

namespace besedka::irc {

// `text` without its formatting codes (a colour code with its colour
// numbers) and without other control characters; a tab becomes a space.
std::string stripFormatting(std::string_view text);

} // namespace besedka::irc
