#pragma once

// The responder of the program: the conversation hub on its own thread.

#include "hub/hub_thread.h"
#include "irc/responder.h"

namespace besedka::irc {

class HubResponder final : public Responder {
  public:
    explicit HubResponder(HubThread& owner) : owner_(owner) {}
    std::future<TurnOutcome> say(SayRequest request) override {
        return owner_.say(std::move(request));
    }
    std::future<bool> end(std::string conversation) override {
        return owner_.end(std::move(conversation));
    }

  private:
    HubThread& owner_;
};

} // namespace besedka::irc
