#pragma once

#include "hub/turn.h"

#include <string>
#include <string_view>
#include <variant>

namespace besedka {

// What the chat would take of a text typed elsewhere (UTF-8): line breaks
// become spaces, other control characters but TAB go, what Windows-1251
// cannot hold is left out, and the rest is cut to the input field's 255
// characters. Gives the Windows-1251 phrase, or why there is none: nothing is
// left, or it holds "^", "_" or ";", which the chat never sends.
std::variant<std::string, TurnError> chatPhrase(std::string_view utf8);

} // namespace besedka
