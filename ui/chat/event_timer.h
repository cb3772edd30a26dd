#pragma once

#include <functional>
#include <utility>

namespace besedka {

// A check that the design runs on a 1 ms timer, run instead whenever something
// it looks at changes. It is started and stopped like a timer; while it runs,
// it ticks once at its start and once at every poke, so it never costs
// anything while nothing changes.
class EventTimer {
  public:
    explicit EventTimer(std::function<void()> tick) : tick_(std::move(tick)) {}

    // Starting a running timer changes nothing.
    void start() {
        if (!active_) {
            active_ = true;
            tick_();
        }
    }
    void stop() { active_ = false; }
    bool isActive() const { return active_; }

    // Something the check looks at has changed.
    void poke() {
        if (active_) {
            tick_();
        }
    }

  private:
    std::function<void()> tick_;
    bool active_ = false;
};

} // namespace besedka
