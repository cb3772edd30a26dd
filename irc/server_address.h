#pragma once

// Where the bot connects: "HOST[:PORT]", an IPv6 address in brackets
// ("[::1]:6667"); the port is 6667, or 6697 with TLS, when none is given.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace besedka::irc {

struct ServerAddress {
    std::string host;
    std::uint16_t port = 6667;
    bool tls = false;
};

// Nothing for an empty host or a port outside 1..65535.
std::optional<ServerAddress> parseServerAddress(std::string_view text, bool tls);

} // namespace besedka::irc
