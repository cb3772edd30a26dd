#pragma once

#include "chat/step_runner.h"
#include "files/directory_lock.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <deque>
#include <functional>

class QLabel;
class QTimer;

namespace besedka {

class FileStore;
class RepeatedFailure;

// The steps that change the knowledge base, run under the lock of Base. The
// lock is taken without waiting, so that the window never stops answering:
// while another process holds it, a step waits behind those already waiting
// and a timer tries again, so that the window goes on painting and can be
// closed. The engine's own holds inside a step share its lock and never wait.
class LockQueue final : public QObject {
    Q_OBJECT

  public:
    struct Step {
        enum class Kind { Phrase, SelfTalk, Exit };
        Kind kind;
        QString phrase;                      // what the input held (Phrase)
        std::function<void()> work;          // runs under the lock
        std::function<void(bool done)> then; // runs once the lock is released
        RepeatedFailure* repeated = nullptr;
    };

    // A wait longer than `patience` is told in `waitPanel`, whose own text
    // comes back once the steps go on.
    LockQueue(const FileStore& files, StepRunner steps, QLabel* waitPanel, QObject* parent,
              std::chrono::milliseconds patience = kLockPatience);

    // Runs the step at once when the lock is free, else queues it behind
    // those waiting. A step like the last of its kind waiting (the same
    // phrase, a second self-talk step or exit) is dropped.
    void run(Step step);
    bool hasWaiting() const { return !waiting_.empty(); }
    // Drops what still waits for the lock: nothing more is written.
    void dropWaiting();

  private:
    void runWaiting();
    void keepWaiting();
    void stopWaiting();
    void tellWaiting(bool waiting);

    const FileStore& files_;
    StepRunner steps_;
    QLabel* waitPanel_;
    std::chrono::milliseconds patience_;
    std::deque<Step> waiting_;
    bool running_ = false;
    QTimer* retryTimer_;
    std::chrono::steady_clock::time_point waitStarted_;
    bool waitTold_ = false;
    QString panelBeforeWait_;
};

} // namespace besedka
