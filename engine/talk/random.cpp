#include "talk/random.h"

#include "talk/clock.h"

namespace besedka {
namespace {
constexpr std::uint32_t kMillisecondsPerDay = 24u * 60u * 60u * 1000u;
}

void Random::reseed(Clock& clock) {
    seed_ = clock.millisecondsSinceMidnight();
}

int Random::below(int n) {
    seed_ = seed_ * 134775813u + 1u;
    if (n <= 0) {
        return 0;
    }
    const std::uint64_t product = static_cast<std::uint64_t>(seed_) * static_cast<std::uint32_t>(n);
    return static_cast<int>(product >> 32);
}

int Random::range(int low, int high, Clock* reseedFrom) {
    if (high < low || high <= 0) {
        return low; // an empty range would never end the redraw loop
    }
    if (reseedFrom == nullptr) {
        int value = 0;
        do {
            value = below(high) + 1;
        } while (value < low);
        return value;
    }
    // Re-seeded before every draw: a draw within the same millisecond repeats
    // the refused number, so the next new number comes from the next
    // millisecond's seed. Taking those seeds in turn gives the very numbers a
    // loop re-reading the clock would, without waiting for the clock to move.
    std::uint32_t now = reseedFrom->millisecondsSinceMidnight();
    for (;;) {
        seed_ = now;
        const int value = below(high) + 1;
        if (value >= low) {
            return value;
        }
        now = (now + 1) % kMillisecondsPerDay;
    }
}

} // namespace besedka
