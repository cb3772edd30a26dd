#pragma once

// The grammar of one protocol line, apart from any connection: parse a line
// the server sent, build one to send. Pure functions over UTF-8 text without
// the line's CR LF.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace besedka::irc {

// [@tags] [:prefix] COMMAND [params...] [:trailing]
struct Message {
    std::string tags;                // without '@'; read by nobody, kept whole
    std::string prefix;              // without ':'; "nick!user@host" or a server
    std::string command;             // letters as sent, or a three-digit numeric
    std::vector<std::string> params; // the trailing one may hold spaces

    // The parameter at `index`, or an empty text when there is none.
    std::string_view param(std::size_t index) const;
};

// Nothing for a line without a command, or with a command that is neither
// letters nor three digits.
std::optional<Message> parseMessage(std::string_view line);

// The nick of a prefix: "nick" of "nick!user@host", a server name as it is.
std::string_view prefixNick(std::string_view prefix);

// The line for a command and its parameters, without CR LF. Nothing when the
// line could not carry them: a CR, LF or NUL anywhere, or a parameter before
// the last that is empty, holds a space or starts with ':'.
std::optional<std::string> buildLine(std::string_view command,
                                     const std::vector<std::string>& params);

} // namespace besedka::irc
