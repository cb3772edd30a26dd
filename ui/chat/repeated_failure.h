#pragma once

#include <utility>

namespace besedka {

// A step that a timer repeats on every tick is reported once when it fails,
// and again only after it has succeeded in between.
class RepeatedFailure {
  public:
    // True for the first failure after a success (or the start): report it.
    bool firstFailure() { return !std::exchange(failing_, true); }
    void succeeded() { failing_ = false; }
    bool failing() const { return failing_; }

  private:
    bool failing_ = false;
};

} // namespace besedka
