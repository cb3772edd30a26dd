#pragma once

// What answers the phrases the bot hears: the conversation hub on its own
// thread in the program, something simpler in tests. Answers come as
// futures, so the network's thread never waits on the knowledge base.

#include "hub/turn.h"

#include <future>
#include <string>

namespace besedka::irc {

class Responder {
  public:
    virtual ~Responder() = default;
    virtual std::future<TurnOutcome> say(SayRequest request) = 0;
    // Ends the conversation with its log block; false when none was open.
    virtual std::future<bool> end(std::string conversation) = 0;
};

} // namespace besedka::irc
