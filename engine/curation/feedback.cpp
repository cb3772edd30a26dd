#include "curation/feedback.h"

#include <chrono>

namespace besedka {
namespace {

// Long enough for a chat's step, which holds the lock for a moment; short
// enough that a window does not seem to hang.
constexpr std::chrono::milliseconds kBusyPatience{1000};

} // namespace

KnowledgeBaseHold holdForChange(const FileStore& files, const Feedback& feedback) {
    if (!feedback.giveUpWhenBusy) {
        return files.holdKnowledgeBase(feedback.waiting);
    }
    auto hold = files.tryHoldKnowledgeBase(kBusyPatience);
    if (!hold) {
        throw KnowledgeBaseBusy();
    }
    return std::move(*hold);
}

} // namespace besedka
