#pragma once

// The outgoing queue's pace: a burst of lines at once, then one line an
// interval (a token bucket), so that a busy room never gets the bot thrown
// off for flooding. Bounded: when full, new lines are refused.

#include "irc/instant.h"

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace besedka::irc {

struct SendPace {
    std::size_t burst = 4;
    std::chrono::milliseconds interval{1000};
    std::size_t capacity = 200; // lines waiting at most
};

class SendQueue {
  public:
    explicit SendQueue(SendPace pace = {}) : pace_(pace) {}

    // False, and the line dropped, when the queue is full.
    bool push(std::string line);
    // The lines that may go at `now`, in order.
    std::vector<std::string> takeDue(Instant now);
    // When the next waiting line may go; nothing when none waits.
    std::optional<Instant> nextDue(Instant now) const;
    // Empties the queue and fills the burst again (a new connection).
    void reset();
    std::size_t waiting() const { return lines_.size(); }

  private:
    void refill(Instant now);

    SendPace pace_;
    std::deque<std::string> lines_;
    std::size_t tokens_ = pace_.burst;
    std::optional<Instant> refilledAt_;
};

} // namespace besedka::irc
