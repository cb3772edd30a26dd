#pragma once

#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace besedka::server {

// The server's workers, each serving one connection at a time. At most
// `waiting` accepted connections wait for a worker; beyond that, handing one
// over blocks the accepting thread, so further connections wait unaccepted in
// the kernel's queue: the connection limit.
class WorkerPool final : public httplib::TaskQueue {
  public:
    WorkerPool(std::size_t workers, std::size_t waiting);
    ~WorkerPool() override;
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void enqueue(std::function<void()> job) override;
    // Serves what is queued, then joins the workers.
    void shutdown() override;

  private:
    void work();

    std::size_t waitingLimit_;
    std::mutex mutex_;
    std::condition_variable jobReady_;
    std::condition_variable roomReady_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

} // namespace besedka::server
