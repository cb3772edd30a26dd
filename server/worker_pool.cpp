#include "worker_pool.h"

namespace besedka::server {

WorkerPool::WorkerPool(std::size_t workers, std::size_t waiting) : waitingLimit_(waiting) {
    workers_.reserve(workers);
    for (std::size_t i = 0; i < workers; ++i) {
        workers_.emplace_back([this] { work(); });
    }
}

WorkerPool::~WorkerPool() {
    shutdown();
}

void WorkerPool::enqueue(std::function<void()> job) {
    std::unique_lock lock(mutex_);
    roomReady_.wait(lock, [this] { return jobs_.size() < waitingLimit_ || stopping_; });
    jobs_.push_back(std::move(job));
    lock.unlock();
    jobReady_.notify_one();
}

void WorkerPool::shutdown() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    jobReady_.notify_all();
    roomReady_.notify_all();
    for (std::thread& worker : workers_) {
        if (worker.joinable()) {
            worker.join();
        }
    }
}

void WorkerPool::work() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            jobReady_.wait(lock, [this] { return !jobs_.empty() || stopping_; });
            if (jobs_.empty()) {
                return; // stopping, and nothing left to serve
            }
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        roomReady_.notify_one();
        job();
    }
}

} // namespace besedka::server
