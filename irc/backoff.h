#pragma once

// Growing delays between attempts: after each failure the wait doubles, from
// `first` up to `longest`; a success that lasts resets it. Used for
// reconnecting (2 s up to 5 min) and for rejoining after a kick.

#include <chrono>

namespace besedka::irc {

class Backoff {
  public:
    Backoff(std::chrono::milliseconds first, std::chrono::milliseconds longest)
        : first_(first), longest_(longest), next_(first) {}

    // The wait before the next attempt; the one after it is twice as long.
    std::chrono::milliseconds nextDelay();
    // A lasting success: the next wait is the first again.
    void reset() { next_ = first_; }

  private:
    std::chrono::milliseconds first_;
    std::chrono::milliseconds longest_;
    std::chrono::milliseconds next_;
};

} // namespace besedka::irc
