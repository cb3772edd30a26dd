#pragma once

// cpp-httplib as measured here, for the server and for the floor it is
// benchmarked against: without these, Nagle's delay holds every answer about
// 40 ms, a connection closes after 5 requests, 8 workers serve and the
// listen queue holds 5.

#include <httplib.h>

#include <cstddef>
#include <sys/socket.h>

namespace besedka::server {

// The library's server (plain or TLS) with a listen queue longer than the 5
// it is built with.
template <typename Base> class TunedServer final : public Base {
  public:
    using Base::Base;
    // After binding: the kernel's longest queue of connections not yet
    // accepted.
    void lengthenListenQueue() { ::listen(this->svr_sock_, SOMAXCONN); }
};

// TCP_NODELAY, long keep-alive, timeouts for a stalled client, and a worker
// pool of `maxConnections` with as many waiting (more wait unaccepted).
void tune(httplib::Server& http, std::size_t maxConnections);

} // namespace besedka::server
