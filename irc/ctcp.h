#pragma once

// Client-to-client requests ride inside a message's text between two 0x01
// characters: "\x01VERSION\x01", "\x01PING 12345\x01", "\x01ACTION waves\x01".

#include <optional>
#include <string>
#include <string_view>

namespace besedka::irc {

struct CtcpRequest {
    std::string command; // upper case as sent: "VERSION"
    std::string argument;
};

// Nothing when `text` is no such request. The closing 0x01 may be missing,
// as some clients send it.
std::optional<CtcpRequest> parseCtcp(std::string_view text);

// The text of a request or reply.
std::string ctcpText(std::string_view command, std::string_view argument);

} // namespace besedka::irc
