#pragma once

// What the server counts itself, and the Prometheus text of GET /metrics.

#include "hub/turn.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace besedka::server {

// How long the messages took, from the request read to the answer made:
// cumulative buckets as Prometheus keeps them. Any thread may record.
class LatencyHistogram {
  public:
    static constexpr std::array<double, 14> kBounds{
        0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10}; // seconds

    void record(std::chrono::nanoseconds took);

    struct Snapshot {
        std::array<std::uint64_t, kBounds.size()> atMost{}; // cumulative, per bound
        std::uint64_t count = 0;
        double sumSeconds = 0;
    };
    Snapshot snapshot() const;

  private:
    std::array<std::atomic<std::uint64_t>, kBounds.size()> buckets_{}; // not cumulative
    std::atomic<std::uint64_t> count_{0};
    std::atomic<std::uint64_t> sumNanoseconds_{0};
};

// Answers by status, for the requests the server saw.
class StatusCounts {
  public:
    void record(int status);
    // The statuses with a count, in order, as `code="200"} 5` lines need.
    template <typename Visit> void forEach(Visit visit) const {
        for (std::size_t status = 0; status < counts_.size(); ++status) {
            if (const std::uint64_t count = counts_[status].load(std::memory_order_relaxed)) {
                visit(static_cast<int>(status), count);
            }
        }
    }

  private:
    std::array<std::atomic<std::uint64_t>, 600> counts_{};
};

struct ServerFigures {
    const LatencyHistogram& messageLatency;
    const StatusCounts& statuses;
};

std::string metricsText(const HubCounters& hub, std::size_t openConversations,
                        const ServerFigures& server);

} // namespace besedka::server
