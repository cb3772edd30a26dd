#include "knowledge/background_work.h"

#include "knowledge/knowledge_dialogs.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <exception>
#include <memory>

namespace besedka {
namespace {

// How often the window shows the worker's progress.
constexpr int kShowEveryMs = 50;

} // namespace

void runInBackground(Progress& shown, const std::function<void(const WorkProgress&)>& work) {
    std::atomic<std::size_t> done{0};
    std::atomic<std::size_t> total{0};
    std::atomic<bool> cancelled{false};
    std::exception_ptr failure;
    const WorkProgress progress = [&](std::size_t now, std::size_t of) {
        total.store(of);
        done.store(now);
        return !cancelled.load();
    };
    const std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            work(progress);
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    QTimer showing;
    QObject::connect(&showing, &QTimer::timeout, &loop, [&] {
        if (!shown.step(done.load(), total.load())) {
            cancelled.store(true);
        }
    });
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    // A cancel that came before the start counts too.
    cancelled.store(!shown.step(0, 0));
    showing.start(kShowEveryMs);
    worker->start();
    loop.exec();
    worker->wait();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

} // namespace besedka
