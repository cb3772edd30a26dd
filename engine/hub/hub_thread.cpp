#include "hub/hub_thread.h"

#include "curation/stats.h"
#include "files/error.h"
#include "hub/conversation_hub.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <variant>

namespace besedka {
namespace {

// How often the owner looks for idle conversations when nothing else wakes it.
constexpr auto kIdleLook = std::chrono::seconds(10);

} // namespace

struct HubThread::Queue {
    struct Turn {
        SayRequest request;
        std::promise<TurnOutcome> promise;
    };
    using Task = std::function<void()>;
    using Item = std::variant<Turn, Task>;

    Queue(ConversationHub& owned, Now clock) : hub(owned), now(std::move(clock)) {}

    ConversationHub& hub;
    Now now;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Item> items;
    bool stopping = false;
    std::thread thread;

    // False when the hub takes no more work.
    bool push(Item item) {
        {
            const std::lock_guard lock(mutex);
            if (stopping) {
                return false;
            }
            items.push_back(std::move(item));
        }
        wake.notify_one();
        return true;
    }

    template <typename Result, typename Work> std::future<Result> call(Work work) {
        auto task = std::make_shared<std::packaged_task<Result()>>(
            [this, work = std::move(work)] { return work(hub); });
        auto future = task->get_future();
        if (!push(Task([task] { (*task)(); }))) {
            std::promise<Result> refused;
            refused.set_exception(
                std::make_exception_ptr(std::runtime_error("the server is shutting down")));
            return refused.get_future();
        }
        return future;
    }

    void runTurns(std::vector<Turn>& turns) {
        if (turns.empty()) {
            return;
        }
        std::vector<SayRequest> requests;
        requests.reserve(turns.size());
        for (const Turn& turn : turns) {
            requests.push_back(turn.request);
        }
        std::vector<TurnOutcome> outcomes = hub.runBatch(requests, now());
        for (std::size_t i = 0; i < turns.size(); ++i) {
            turns[i].promise.set_value(std::move(outcomes[i]));
        }
        turns.clear();
    }

    void runTaken(std::deque<Item>& taken) {
        std::vector<Turn> turns;
        for (Item& item : taken) {
            if (auto* turn = std::get_if<Turn>(&item)) {
                turns.push_back(std::move(*turn));
            } else {
                // A task sees every turn queued before it answered.
                runTurns(turns);
                std::get<Task>(item)();
            }
        }
        runTurns(turns);
    }

    void endIdle() {
        try {
            hub.endIdle(now());
        } catch (const Error&) {
            // Base is busy or unwritable: they stay open, tried again later.
        }
    }

    void run() {
        hub.recover();
        auto lastLook = now();
        for (;;) {
            std::deque<Item> taken;
            bool last = false;
            {
                std::unique_lock lock(mutex);
                wake.wait_for(lock, kIdleLook, [this] { return stopping || !items.empty(); });
                taken.swap(items);
                last = stopping;
            }
            runTaken(taken);
            if (last) {
                break;
            }
            if (now() - lastLook >= kIdleLook) {
                lastLook = now();
                endIdle();
            }
        }
        try {
            hub.endAll(now());
        } catch (const Error&) {
            // The transcripts are lost; what was learned is already durable.
        }
    }
};

HubThread::HubThread(ConversationHub& hub, Now now)
    : queue_(std::make_unique<Queue>(hub, std::move(now))) {
    queue_->thread = std::thread([this] { queue_->run(); });
}

HubThread::~HubThread() {
    stop();
}

std::future<TurnOutcome> HubThread::say(SayRequest request) {
    Queue::Turn turn{std::move(request), {}};
    auto future = turn.promise.get_future();
    const std::string conversation = turn.request.conversation;
    if (!queue_->push(std::move(turn))) {
        std::promise<TurnOutcome> refused;
        TurnOutcome outcome;
        outcome.conversation = conversation;
        outcome.error = TurnError{TurnErrorCode::ShuttingDown, "the server is shutting down"};
        refused.set_value(std::move(outcome));
        return refused.get_future();
    }
    return future;
}

std::future<std::optional<std::vector<std::string>>>
HubThread::transcript(std::string conversation) {
    return queue_->call<std::optional<std::vector<std::string>>>(
        [conversation = std::move(conversation)](ConversationHub& hub) {
            return hub.transcript(conversation);
        });
}

std::future<bool> HubThread::end(std::string conversation) {
    return queue_->call<bool>([this, conversation = std::move(conversation)](ConversationHub& hub) {
        return hub.end(conversation, queue_->now());
    });
}

std::future<KnowledgeStats> HubThread::stats() {
    return queue_->call<KnowledgeStats>([](ConversationHub& hub) { return hub.stats(); });
}

std::future<HubCounters> HubThread::counters() {
    return queue_->call<HubCounters>([](ConversationHub& hub) { return hub.counters(); });
}

std::future<std::size_t> HubThread::openConversations() {
    return queue_->call<std::size_t>([](ConversationHub& hub) { return hub.openConversations(); });
}

void HubThread::stop() {
    {
        const std::lock_guard lock(queue_->mutex);
        queue_->stopping = true;
    }
    queue_->wake.notify_one();
    if (queue_->thread.joinable()) {
        queue_->thread.join();
    }
}

} // namespace besedka
