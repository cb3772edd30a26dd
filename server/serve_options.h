#pragma once

// The options of `besedka serve`, declared once with what the help says of
// each; parsing follows from the table.

#include "listen_address.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace besedka::server {

struct ServeOptions {
    ListenAddress listen{"127.0.0.1", 8642};
    std::optional<std::filesystem::path> tokenFile;
    std::optional<std::filesystem::path> tlsCert;
    std::optional<std::filesystem::path> tlsKey;
    int idleMinutes = 30;
    std::size_t maxConversations = 10000;
    double ratePerSecond = 50; // per client address; 0: no limit
    std::size_t maxConnections = 128;
    std::optional<std::filesystem::path> workdir;
};

struct OptionEntry {
    std::string_view name;  // "--listen"; "WORKDIR" for the operand
    std::string_view value; // what its value is called ("ADDR:PORT")
    std::string_view note;  // what the help says of it
    // Sets the option from its value; returns what is wrong with the value.
    std::optional<std::string> (*apply)(std::string_view value, ServeOptions& options);
};

std::span<const OptionEntry> serveOptions();

// The words after "serve" ("--name=value" or "--name value"), or the one line
// that says what is wrong with them: an unknown option, a bad value, a
// certificate without its key, or an address other than loopback without a
// token file.
std::variant<ServeOptions, std::string> parseServeOptions(const std::vector<std::string>& args);

} // namespace besedka::server
