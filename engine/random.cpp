#include "random.h"

#include "clock.h"

namespace besedka {

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
    int value = 0;
    do {
        if (reseedFrom != nullptr) {
            reseed(*reseedFrom);
        }
        value = below(high) + 1;
    } while (value < low);
    return value;
}

} // namespace besedka
