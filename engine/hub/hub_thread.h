#pragma once

#include "hub/turn.h"

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace besedka {

class ConversationHub;
struct KnowledgeStats;

// The one thread that owns a hub and its working directory's files. Any
// thread may queue work; the owner takes whatever is queued when it wakes,
// runs the turns among it as one batch (one lock, one commit) and the rest in
// order, and answers each future once the change holding its learning is
// durable. Idle conversations are ended as time passes.
class HubThread {
  public:
    using Now = std::function<HubInstant()>;
    explicit HubThread(
        ConversationHub& hub, Now now = [] { return std::chrono::steady_clock::now(); });
    // Stops as stop() does.
    ~HubThread();
    HubThread(const HubThread&) = delete;
    HubThread& operator=(const HubThread&) = delete;

    std::future<TurnOutcome> say(SayRequest request);
    std::future<std::optional<std::vector<std::string>>> transcript(std::string conversation);
    // False when no such conversation was open; an exception (FileError)
    // when its log block could not be written.
    std::future<bool> end(std::string conversation);
    // The figures of `kb stats`; an exception (FileError) when unreadable.
    std::future<KnowledgeStats> stats();
    std::future<HubCounters> counters();
    std::future<std::size_t> openConversations();

    // Takes no more work (later turns get ShuttingDown), finishes what is
    // queued, ends every open conversation with its log block and joins the
    // thread. Safe to call twice.
    void stop();

  private:
    struct Queue;
    std::unique_ptr<Queue> queue_;
};

} // namespace besedka
