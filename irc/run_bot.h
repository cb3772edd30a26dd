#pragma once

// The bot's run: a Qt event loop with the connection and the bot, until
// SIGTERM or SIGINT.

#include "irc/bot_options.h"
#include "irc/connection.h"
#include "irc/room_behaviour.h"

#include <functional>
#include <optional>
#include <string>

namespace besedka::irc {

class Responder;

struct BotRun {
    ConnectionSettings connection;
    BehaviourSettings behaviour;
    std::string quitMessage = "До свидания!";
};

// The run the options ask for, with the password and certificates their
// files hold; an error message when a file cannot be read. `version` answers
// CTCP VERSION; `log` takes one line of what happens at a time.
std::optional<std::string> prepareRun(const BotOptions& options, std::string version,
                                      const std::function<void(const std::string&)>& log,
                                      BotRun& run);

// Runs until SIGTERM or SIGINT, then sends QUIT, calls `stopResponder` (which
// ends every open conversation with its log block), waits for the server to
// close and returns 0; 1 when TLS is asked for and missing.
int runBot(int& argc, char** argv, const BotRun& run, Responder& responder,
           const std::function<void()>& stopResponder);

} // namespace besedka::irc
