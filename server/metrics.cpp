#include "metrics.h"

#include <sstream>

namespace besedka::server {

void LatencyHistogram::record(std::chrono::nanoseconds took) {
    const double seconds = std::chrono::duration<double>(took).count();
    for (std::size_t i = 0; i < kBounds.size(); ++i) {
        if (seconds <= kBounds[i]) {
            buckets_[i].fetch_add(1, std::memory_order_relaxed);
            break;
        }
    }
    count_.fetch_add(1, std::memory_order_relaxed);
    sumNanoseconds_.fetch_add(static_cast<std::uint64_t>(std::max<std::int64_t>(took.count(), 0)),
                              std::memory_order_relaxed);
}

LatencyHistogram::Snapshot LatencyHistogram::snapshot() const {
    Snapshot shot;
    std::uint64_t below = 0;
    for (std::size_t i = 0; i < kBounds.size(); ++i) {
        below += buckets_[i].load(std::memory_order_relaxed);
        shot.atMost[i] = below;
    }
    // Read last, so that +Inf never counts fewer than the last bucket.
    shot.count = std::max(count_.load(std::memory_order_relaxed), below);
    shot.sumSeconds = static_cast<double>(sumNanoseconds_.load(std::memory_order_relaxed)) / 1e9;
    return shot;
}

void StatusCounts::record(int status) {
    if (status >= 0 && static_cast<std::size_t>(status) < counts_.size()) {
        counts_[static_cast<std::size_t>(status)].fetch_add(1, std::memory_order_relaxed);
    }
}

namespace {

void counter(std::ostream& out, std::string_view name, std::string_view help, std::uint64_t value) {
    out << "# HELP " << name << ' ' << help << "\n# TYPE " << name << " counter\n"
        << name << ' ' << value << '\n';
}

} // namespace

std::string metricsText(const HubCounters& hub, std::size_t openConversations,
                        const ServerFigures& server) {
    std::ostringstream out;
    counter(out, "besedka_turns_total", "Turns answered, with a reply or an error.", hub.turns);
    counter(out, "besedka_failed_turns_total", "Turns answered with an error.", hub.failedTurns);
    counter(out, "besedka_learned_turns_total", "Turns that added to the knowledge base.",
            hub.learnedTurns);
    counter(out, "besedka_commits_total", "Changes of the knowledge base committed.", hub.commits);
    counter(out, "besedka_ended_conversations_total",
            "Conversations ended, each with its block in the dialogue log.",
            hub.endedConversations);
    counter(out, "besedka_backups_total", "Backups of the knowledge base taken.", hub.backups);
    out << "# HELP besedka_batch_size Turns run together under one hold of the knowledge base.\n"
           "# TYPE besedka_batch_size summary\n"
        << "besedka_batch_size_sum " << hub.batchedTurns << '\n'
        << "besedka_batch_size_count " << hub.batches << '\n';
    out << "# HELP besedka_open_conversations Conversations open now.\n"
           "# TYPE besedka_open_conversations gauge\n"
        << "besedka_open_conversations " << openConversations << '\n';

    const LatencyHistogram::Snapshot latency = server.messageLatency.snapshot();
    out << "# HELP besedka_message_duration_seconds Time from a message read to its answer.\n"
           "# TYPE besedka_message_duration_seconds histogram\n";
    for (std::size_t i = 0; i < LatencyHistogram::kBounds.size(); ++i) {
        out << "besedka_message_duration_seconds_bucket{le=\"" << LatencyHistogram::kBounds[i]
            << "\"} " << latency.atMost[i] << '\n';
    }
    out << "besedka_message_duration_seconds_bucket{le=\"+Inf\"} " << latency.count << '\n'
        << "besedka_message_duration_seconds_sum " << latency.sumSeconds << '\n'
        << "besedka_message_duration_seconds_count " << latency.count << '\n';

    out << "# HELP besedka_http_responses_total Responses sent, by status.\n"
           "# TYPE besedka_http_responses_total counter\n";
    server.statuses.forEach([&out](int status, std::uint64_t count) {
        out << "besedka_http_responses_total{code=\"" << status << "\"} " << count << '\n';
    });
    return out.str();
}

} // namespace besedka::server
