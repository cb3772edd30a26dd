#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace besedka::server {

struct ListenAddress {
    std::string host; // as the socket library takes it: "127.0.0.1", "::1"
    int port = 0;     // 0: any free port

    // Whether only this machine can reach it: 127.0.0.0/8, ::1, localhost.
    bool isLoopback() const;
    // "127.0.0.1:8642", "[::1]:8642", with the port given.
    std::string withPort(int actualPort) const;
};

// "ADDR:PORT" or "[IPv6]:PORT"; nothing when it is neither.
std::optional<ListenAddress> parseListenAddress(std::string_view text);

} // namespace besedka::server
