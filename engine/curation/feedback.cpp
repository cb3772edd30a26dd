#include "curation/feedback.h"

#include <chrono>
#include <thread>

namespace besedka {
namespace {

// Long enough for a chat's step, which holds the lock for a moment; short
// enough that a window does not seem to hang.
constexpr std::chrono::milliseconds kBusyPatience{1000};
constexpr std::chrono::milliseconds kBusyRetry{50};

} // namespace

KnowledgeBaseHold holdForChange(const FileStore& files, const Feedback& feedback) {
    if (!feedback.giveUpWhenBusy) {
        return files.holdKnowledgeBase(feedback.waiting);
    }
    const auto deadline = std::chrono::steady_clock::now() + kBusyPatience;
    while (true) {
        if (auto hold = files.tryHoldKnowledgeBase()) {
            return std::move(*hold);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            throw KnowledgeBaseBusy();
        }
        std::this_thread::sleep_for(kBusyRetry);
    }
}

} // namespace besedka
