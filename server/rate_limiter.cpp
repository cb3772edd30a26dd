#include "rate_limiter.h"

#include <algorithm>

namespace besedka::server {
namespace {

// Addresses are dropped once their bucket is full again, when this many more
// than at the last clean-up are tracked: memory stays bounded by the
// addresses active within a refill time.
constexpr std::size_t kPruneStep = 1024;

} // namespace

RateLimiter::RateLimiter(double perSecond, double burst)
    : perSecond_(perSecond), burst_(std::max(burst, 1.0)), pruneAt_(kPruneStep) {}

bool RateLimiter::allow(std::string_view address, Clock::time_point now) {
    if (perSecond_ <= 0) {
        return true;
    }
    const std::lock_guard lock(mutex_);
    auto found = buckets_.find(std::string(address));
    if (found == buckets_.end()) {
        if (buckets_.size() >= pruneAt_) {
            dropFullBuckets(now);
        }
        found = buckets_.emplace(std::string(address), Bucket{burst_, now}).first;
    }
    Bucket& bucket = found->second;
    const double elapsed = std::chrono::duration<double>(now - bucket.updated).count();
    bucket.tokens = std::min(burst_, bucket.tokens + std::max(elapsed, 0.0) * perSecond_);
    bucket.updated = std::max(bucket.updated, now);
    if (bucket.tokens < 1) {
        return false;
    }
    bucket.tokens -= 1;
    return true;
}

std::size_t RateLimiter::trackedAddresses() const {
    const std::lock_guard lock(mutex_);
    return buckets_.size();
}

void RateLimiter::dropFullBuckets(Clock::time_point now) {
    std::erase_if(buckets_, [&](const auto& entry) {
        const double elapsed = std::chrono::duration<double>(now - entry.second.updated).count();
        return entry.second.tokens + elapsed * perSecond_ >= burst_;
    });
    pruneAt_ = buckets_.size() + kPruneStep;
}

} // namespace besedka::server
