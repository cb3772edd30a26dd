#pragma once

#include "listen_address.h"
#include "metrics.h"
#include "rate_limiter.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace besedka {
class HubThread;
}

namespace besedka::server {

struct TlsFiles {
    std::filesystem::path certificate;
    std::filesystem::path key;
};

struct ApiSettings {
    std::optional<std::string> token; // set: requests need it as a Bearer token
    double ratePerSecond = 0;         // per client address; 0: no limit
    std::size_t maxConnections = 128;
    std::optional<TlsFiles> tls;
};

// The HTTP API over a hub thread: network threads parse, check and queue; the
// hub's own thread does every turn. Tuned as measured: no Nagle delay,
// connections kept alive, a worker per connection, a long listen queue.
class ApiServer {
  public:
    // Throws std::runtime_error when the TLS certificate or key cannot be used.
    ApiServer(HubThread& hub, ApiSettings settings);
    ~ApiServer();
    ApiServer(const ApiServer&) = delete;
    ApiServer& operator=(const ApiServer&) = delete;

    // Starts listening at `address`; returns the port, or throws
    // std::runtime_error saying why it cannot.
    int bind(const ListenAddress& address);
    // Serves until stop(); returns once the requests in flight are answered.
    void serve();
    // From any thread, before serve() or during it: takes no more
    // connections and lets serve() return.
    void stop();

    const LatencyHistogram& messageLatency() const { return messageLatency_; }

  private:
    class Handlers;

    HubThread& hub_;
    ApiSettings settings_;
    RateLimiter limiter_;
    LatencyHistogram messageLatency_;
    StatusCounts statuses_;
    std::unique_ptr<httplib::Server> http_;
    std::unique_ptr<Handlers> handlers_;
    std::mutex starting_;
    bool stopAsked_ = false;
    bool started_ = false;
    std::atomic<bool> finished_{false};
};

} // namespace besedka::server
