#include "irc/flood_guard.h"

namespace besedka::irc {

bool FloodGuard::admit(const std::string& sender, Instant now) {
    forgetQuietSenders(now);
    Sender& state = senders_[sender];
    while (!state.recent.empty() && now - state.recent.front() >= limits_.window) {
        state.recent.pop_front();
    }
    state.recent.push_back(now);
    if (state.recent.size() > limits_.phrases) {
        state.mutedUntil = now + limits_.penalty;
        state.recent.pop_front(); // the count never grows past the limit + 1
    }
    return now >= state.mutedUntil;
}

void FloodGuard::rename(const std::string& from, const std::string& to) {
    const auto found = senders_.find(from);
    if (found == senders_.end() || from == to) {
        return;
    }
    Sender state = std::move(found->second);
    senders_.erase(found);
    senders_[to] = std::move(state);
}

// Senders with nothing recent and no penalty left are forgotten, once a
// window at most, so that a busy room does not grow the table for ever.
void FloodGuard::forgetQuietSenders(Instant now) {
    if (now - lastSweep_ < limits_.window) {
        return;
    }
    lastSweep_ = now;
    std::erase_if(senders_, [&](const auto& entry) {
        const Sender& state = entry.second;
        return now >= state.mutedUntil &&
               (state.recent.empty() || now - state.recent.back() >= limits_.window);
    });
}

} // namespace besedka::irc
