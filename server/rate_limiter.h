#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace besedka::server {

// A token bucket per client address: each request takes a token, a bucket
// holds at most `burst` and gains `perSecond` a second. A client that floods
// empties only its own bucket. Any thread may ask.
class RateLimiter {
  public:
    using Clock = std::chrono::steady_clock;

    // perSecond 0: every request is allowed.
    RateLimiter(double perSecond, double burst);

    // Whether `address` may make a request at `now`; takes its token if so.
    bool allow(std::string_view address, Clock::time_point now = Clock::now());

    // Buckets kept (full ones are dropped as they pile up).
    std::size_t trackedAddresses() const;

  private:
    struct Bucket {
        double tokens;
        Clock::time_point updated;
    };
    void dropFullBuckets(Clock::time_point now);

    double perSecond_;
    double burst_;
    mutable std::mutex mutex_;
    std::unordered_map<std::string, Bucket> buckets_;
    std::size_t pruneAt_;
};

} // namespace besedka::server
