#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace besedka {

// Local calendar date and wall-clock time, for the dialogue log.
struct LocalDateTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};

// Source of time for re-seeding the random generator and dating the log.
class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds since midnight UTC, 0..86399999.
    virtual std::uint32_t millisecondsSinceMidnight() = 0;
    virtual LocalDateTime localNow() = 0;
};

class SystemClock final : public Clock {
  public:
    std::uint32_t millisecondsSinceMidnight() override;
    LocalDateTime localNow() override;
};

// Starts at a given time and advances by exactly 1 ms at every read, so
// scripted runs repeat exactly and a loop that re-seeds before each draw
// always sees a new seed. Its date is a fixed day.
class FakeClock final : public Clock {
  public:
    explicit FakeClock(std::uint32_t startMilliseconds) : now_(startMilliseconds) {}
    std::uint32_t millisecondsSinceMidnight() override;
    LocalDateTime localNow() override;
    std::uint32_t reads() const { return reads_; }

  private:
    std::uint32_t now_;
    std::uint32_t reads_ = 0;
};

// The fake clock when BESEDKA_CLOCK holds a number of milliseconds since
// midnight, otherwise the system clock.
std::unique_ptr<Clock> clockFromEnvironment();

} // namespace besedka
