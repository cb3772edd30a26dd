#pragma once

// Fitting a reply into lines: a line is at most 512 bytes with its CR LF, and
// the server puts the bot's ":nick!user@host " before it when relaying, so
// every line is cut to fit the relayed form, on a character boundary in the
// encoding the bot sends in.

#include "irc/encoding.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace besedka::irc {

inline constexpr std::size_t kMaxLineBytes = 512; // with CR LF

// The bytes left for the text of "PRIVMSG target :lead text" once the server
// relays it with `ownPrefix` ("nick!user@host") before it.
std::size_t textBudget(std::string_view ownPrefix, std::string_view command,
                       std::string_view target, std::string_view lead, Encoding encoding);

// A prefix as long as the server could make ours when we do not know it
// yet: the nick with the longest user and host names.
std::string longestPrefixFor(std::string_view nick);

// `text` (UTF-8) in pieces of at most `budget` bytes each once encoded,
// never cut inside a character; a piece ends at its last space when it has
// one, the space dropped. Line breaks part pieces; empty pieces are left out.
std::vector<std::string> splitText(std::string_view text, std::size_t budget, Encoding encoding);

} // namespace besedka::irc
