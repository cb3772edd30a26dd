#pragma once

// A sender who says too much too fast is neither answered nor learned from
// for a while: more than 5 phrases in 10 seconds mutes them for a minute,
// and every phrase over the rate while muted restarts that minute.

#include "irc/instant.h"

#include <chrono>
#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>

namespace besedka::irc {

struct FloodLimits {
    std::size_t phrases = 5;
    std::chrono::milliseconds window{10'000};
    std::chrono::milliseconds penalty{60'000};
};

class FloodGuard {
  public:
    explicit FloodGuard(FloodLimits limits = {}) : limits_(limits) {}

    // Counts a phrase of `sender` (a folded nick) at `now`; whether it may
    // be heard.
    bool admit(const std::string& sender, Instant now);
    // The sender's count and penalty follow a nick change.
    void rename(const std::string& from, const std::string& to);
    std::size_t trackedSenders() const { return senders_.size(); }

  private:
    struct Sender {
        std::deque<Instant> recent;
        Instant mutedUntil{};
    };
    void forgetQuietSenders(Instant now);

    FloodLimits limits_;
    std::unordered_map<std::string, Sender> senders_;
    Instant lastSweep_{};
};

} // namespace besedka::irc
