#pragma once

#include "hub/turn.h"
#include "talk/engine.h"
#include "talk/host.h"

namespace besedka {

// One dialogue of the hub: an engine of its own, with no sounds, window or
// input field, that learns in its own branch of the shared tree.
class Conversation {
  public:
    // The pane lines a dialogue keeps: the exchange reads only the count and
    // the last two, the branch continuation's lines included.
    static constexpr std::size_t kPaneLines = 64;

    Conversation(const FileStore& files, Clock& clock, KnowledgeFiles& knowledge, HubInstant now)
        : engine_(files, clock, host_, &knowledge), lastActive_(now) {
        engine_.setPlacement(Placement::OwnBranch);
        engine_.dialogue().setPaneLimit(kPaneLines);
    }

    Engine& engine() { return engine_; }
    const Engine& engine() const { return engine_; }
    HubInstant lastActive() const { return lastActive_; }
    void touch(HubInstant now) { lastActive_ = now; }

  private:
    // Nothing to play or clear; a farewell shows in the exchange's result.
    class Silent final : public Host {
      public:
        void playCue(Cue /*cue*/) override {}
        void clearInput() override {}
        void startClosing() override {}
    };

    Silent host_;
    Engine engine_;
    HubInstant lastActive_;
};

} // namespace besedka
