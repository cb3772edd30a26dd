#include "chat/lock_queue.h"

#include "files/file_store.h"

#include <QLabel>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace besedka {
namespace {

// A step waiting for the lock of Base tries again at this pace.
constexpr int kRetryInterval = 100;

} // namespace

LockQueue::LockQueue(const FileStore& files, StepRunner steps, QLabel* waitPanel, QObject* parent,
                     std::chrono::milliseconds patience)
    : QObject(parent), files_(files), steps_(steps), waitPanel_(waitPanel), patience_(patience),
      retryTimer_(new QTimer(this)) {
    retryTimer_->setObjectName(QStringLiteral("lockRetryTimer"));
    retryTimer_->setInterval(kRetryInterval);
    connect(retryTimer_, &QTimer::timeout, this, [this] { runWaiting(); });
}

void LockQueue::run(Step step) {
    const auto same = std::find_if(waiting_.rbegin(), waiting_.rend(),
                                   [&](const Step& waiting) { return waiting.kind == step.kind; });
    if (same != waiting_.rend() &&
        (step.kind != Step::Kind::Phrase || same->phrase == step.phrase)) {
        return;
    }
    waiting_.push_back(std::move(step));
    runWaiting();
}

void LockQueue::dropWaiting() {
    waiting_.clear();
    retryTimer_->stop();
}

void LockQueue::runWaiting() {
    // A step's error box runs the event loop: what comes meanwhile waits.
    if (running_) {
        return;
    }
    running_ = true;
    while (!waiting_.empty()) {
        std::optional<KnowledgeBaseHold> hold;
        const bool locked = steps_.run(
            [&] {
                if (auto taken = files_.tryHoldKnowledgeBase()) {
                    hold.emplace(std::move(*taken));
                }
            },
            waiting_.front().repeated);
        if (!locked) {
            waiting_.clear(); // Base cannot be locked: none of them may write
            break;
        }
        if (!hold) {
            keepWaiting();
            running_ = false;
            return;
        }
        stopWaiting();
        Step step = std::move(waiting_.front());
        waiting_.pop_front();
        // The lock goes with the step's end, before an error box opens.
        const bool done = steps_.run(
            [&] {
                const KnowledgeBaseHold held = std::move(*hold);
                step.work();
            },
            step.repeated);
        if (step.then) {
            step.then(done);
        }
    }
    stopWaiting();
    running_ = false;
}

void LockQueue::keepWaiting() {
    const auto now = std::chrono::steady_clock::now();
    if (!retryTimer_->isActive()) {
        waitStarted_ = now;
        retryTimer_->start();
    } else if (!waitTold_ && now - waitStarted_ >= patience_) {
        waitTold_ = true;
        tellWaiting(true);
    }
}

void LockQueue::stopWaiting() {
    retryTimer_->stop();
    if (waitTold_) {
        waitTold_ = false;
        tellWaiting(false);
    }
}

void LockQueue::tellWaiting(bool waiting) {
    if (waiting) {
        panelBeforeWait_ = waitPanel_->text();
        waitPanel_->setText(QStringLiteral("База занята другой программой, ждём..."));
    } else {
        waitPanel_->setText(panelBeforeWait_);
    }
}

} // namespace besedka
