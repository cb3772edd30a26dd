#include "irc/send_queue.h"

#include <algorithm>

namespace besedka::irc {

bool SendQueue::push(std::string line) {
    if (lines_.size() >= pace_.capacity) {
        return false;
    }
    lines_.push_back(std::move(line));
    return true;
}

void SendQueue::refill(Instant now) {
    if (!refilledAt_ || tokens_ >= pace_.burst) {
        refilledAt_ = now;
        return;
    }
    const auto interval = std::max(pace_.interval, std::chrono::milliseconds(1));
    const auto earned = static_cast<std::size_t>((now - *refilledAt_) / interval);
    if (earned == 0) {
        return;
    }
    tokens_ = std::min(pace_.burst, tokens_ + earned);
    *refilledAt_ += interval * static_cast<long>(earned);
    if (tokens_ >= pace_.burst) {
        refilledAt_ = now;
    }
}

std::vector<std::string> SendQueue::takeDue(Instant now) {
    refill(now);
    std::vector<std::string> due;
    while (tokens_ > 0 && !lines_.empty()) {
        due.push_back(std::move(lines_.front()));
        lines_.pop_front();
        --tokens_;
    }
    return due;
}

std::optional<Instant> SendQueue::nextDue(Instant now) const {
    if (lines_.empty()) {
        return std::nullopt;
    }
    if (tokens_ > 0 || !refilledAt_) {
        return now;
    }
    return *refilledAt_ + std::max(pace_.interval, std::chrono::milliseconds(1));
}

void SendQueue::reset() {
    lines_.clear();
    tokens_ = pace_.burst;
    refilledAt_.reset();
}

} // namespace besedka::irc
