#pragma once

// The options of `besedka irc`, declared once: the parser and the help
// both read this table.

#include "irc/encoding.h"
#include "irc/send_queue.h"
#include "irc/server_address.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace besedka::irc {

struct BotOptions {
    std::optional<ServerAddress> server;
    std::string nick = "besedka";
    std::vector<std::string> channels;
    std::optional<std::filesystem::path> passwordFile;
    std::optional<std::filesystem::path> tlsCa; // certificates to trust beside the system's
    Encoding encoding = Encoding::Utf8;
    std::vector<std::string> ignore;
    SendPace pace;
    std::optional<std::filesystem::path> workdir; // WORKDIR or --workdir DIR
};

struct BotOptionHelp {
    std::string_view words;   // "--nick NAME"
    std::string_view summary; // what it does
};
const std::vector<BotOptionHelp>& botOptionHelp();
// Whether `option` takes a value: its help shows one after it.
bool takesValue(std::string_view option);

// Reads `args` (after "irc") into `options`; an error message for a wrong
// one. Either "--name value" or "--name=value".
std::optional<std::string> parseBotOptions(const std::vector<std::string>& args,
                                           BotOptions& options);

// Whether the server would take `nick`: a letter or one of "[]\`_^{|}"
// first, then those, digits and "-".
bool validNick(std::string_view nick);

// The first line of a password file, without its line end; an error message
// when the file cannot be read or holds no password.
std::optional<std::string> readPassword(const std::filesystem::path& file, std::string& password);

} // namespace besedka::irc
