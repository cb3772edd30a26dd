#pragma once

// Whether a channel message speaks to the bot: "NAME: text" or "NAME, text",
// the name compared as the server folds nicks.

#include "irc/case_mapping.h"

#include <optional>
#include <string_view>

namespace besedka::irc {

// The text after the address, or nothing when `text` is not addressed to
// `nick`. An address with nothing after it gives an empty text.
std::optional<std::string_view> addressedText(std::string_view text, std::string_view nick,
                                              CaseMapping mapping);

} // namespace besedka::irc
