#include "http_tuning.h"

#include "worker_pool.h"

namespace besedka::server {
namespace {

// A worker waits this long for the next request of a kept-alive connection,
// and for each read and write of one: a stalled client frees its worker then.
constexpr time_t kKeepAliveSeconds = 3;
constexpr time_t kReadWriteSeconds = 5;
// Requests a connection may make before it is closed: high, since closing
// costs a new connection, and a kept one no more than its worker.
constexpr std::size_t kRequestsPerConnection = 100000;

// One port, one server: SO_REUSEADDR (a restart need not wait for old
// connections to time out) but not the library's SO_REUSEPORT, with which a
// second server would share the port unnoticed.
void socketOptions(int socket) {
    const int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

} // namespace

void tune(httplib::Server& http, std::size_t maxConnections) {
    http.set_socket_options(socketOptions);
    http.set_tcp_nodelay(true);
    http.set_keep_alive_max_count(kRequestsPerConnection);
    http.set_keep_alive_timeout(kKeepAliveSeconds);
    http.set_read_timeout(kReadWriteSeconds);
    http.set_write_timeout(kReadWriteSeconds);
    http.new_task_queue = [maxConnections] {
        return new WorkerPool(maxConnections, maxConnections);
    };
}

} // namespace besedka::server
