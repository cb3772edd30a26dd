#include "irc/backoff.h"

#include <algorithm>

namespace besedka::irc {

std::chrono::milliseconds Backoff::nextDelay() {
    const std::chrono::milliseconds delay = std::min(next_, longest_);
    next_ = std::min(next_ * 2, longest_);
    return delay;
}

} // namespace besedka::irc
