#pragma once

#include <cstdint>

namespace besedka {

class Clock;

// The program's linear congruential generator: seed := seed * 134775813 + 1,
// a draw below n is the upper half of the 64-bit product seed * n.
class Random {
  public:
    explicit Random(std::uint32_t seed = 0) : seed_(seed) {}

    void reseed(Clock& clock);
    void setSeed(std::uint32_t seed) { seed_ = seed; }
    std::uint32_t seed() const { return seed_; }

    // Uniform in [0, n); 0 when n is 0 or negative.
    int below(int n);
    // In [low, high]: drawn as 1..high, drawn again while below low. With a
    // clock, re-seeded from it before every draw; a redraw takes the seed of
    // the millisecond after the last one, as the clock would by then show.
    int range(int low, int high, Clock* reseedFrom = nullptr);

  private:
    std::uint32_t seed_;
};

} // namespace besedka
