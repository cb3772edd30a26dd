// The steps that change the knowledge base: run under the lock of Base, which
// the window takes without waiting, so that it never stops answering.
#include "chat/main_window.h"

#include "common/qt_text.h"

#include <QLabel>
#include <QTimer>

#include <algorithm>

namespace besedka {

void MainWindow::runLocked(LockedStep step) {
    const auto same =
        std::find_if(lockedSteps_.rbegin(), lockedSteps_.rend(),
                     [&](const LockedStep& waiting) { return waiting.kind == step.kind; });
    if (same != lockedSteps_.rend() &&
        (step.kind != LockedStep::Kind::Phrase || same->phrase == step.phrase)) {
        return;
    }
    lockedSteps_.push_back(std::move(step));
    runWaitingSteps();
}

void MainWindow::runWaitingSteps() {
    // A step's error box runs the event loop: what comes meanwhile waits.
    if (runningLockedSteps_) {
        return;
    }
    runningLockedSteps_ = true;
    while (!lockedSteps_.empty()) {
        std::optional<KnowledgeBaseHold> hold;
        const bool locked = runStep(
            [&] {
                if (auto taken = engine_.tryHoldKnowledgeBase()) {
                    hold.emplace(std::move(*taken));
                }
            },
            lockedSteps_.front().repeated);
        if (!locked) {
            lockedSteps_.clear(); // Base cannot be locked: none of them may write
            break;
        }
        if (!hold) {
            keepWaitingForLock();
            runningLockedSteps_ = false;
            return;
        }
        stopWaitingForLock();
        LockedStep step = std::move(lockedSteps_.front());
        lockedSteps_.pop_front();
        // The lock goes with the step's end, before an error box opens.
        const bool done = runStep(
            [&] {
                const KnowledgeBaseHold held = std::move(*hold);
                step.work();
            },
            step.repeated);
        if (step.then) {
            step.then(done);
        }
    }
    stopWaitingForLock();
    runningLockedSteps_ = false;
}

void MainWindow::keepWaitingForLock() {
    const auto now = std::chrono::steady_clock::now();
    if (!lockRetryTimer_->isActive()) {
        waitStarted_ = now;
        lockRetryTimer_->start();
    } else if (!waitTold_ && now - waitStarted_ >= kLockPatience) {
        waitTold_ = true;
        waitingForKnowledgeBase(true);
    }
}

void MainWindow::stopWaitingForLock() {
    lockRetryTimer_->stop();
    if (waitTold_) {
        waitTold_ = false;
        waitingForKnowledgeBase(false);
    }
}

void MainWindow::showUnsharedLock() {
    setStatusText(1, QStringLiteral("Папка в сети: два компьютера сразу не защищены"));
    statusPanels_[1]->setToolTip(
        QStringLiteral("Папка Base лежит на сетевом диске. Блокировку видят только программы "
                       "этого компьютера: если с папкой одновременно работают два компьютера, "
                       "выученное одним может пропасть у другого."));
}

} // namespace besedka
