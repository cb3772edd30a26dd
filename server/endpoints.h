#pragma once

// What each route does: checks the request, asks the hub and answers.

#include "api_error.h"
#include "metrics.h"

#include <string_view>

namespace httplib {
struct Request;
struct Response;
} // namespace httplib

namespace besedka {
class HubThread;
}

namespace besedka::server {

// Sets an error answer: its status, its body and, where the error asks
// clients to come back later, Retry-After.
void answerError(httplib::Response& response, const ApiError& error);

class Endpoints {
  public:
    Endpoints(HubThread& hub, LatencyHistogram& messageLatency, const StatusCounts& statuses)
        : hub_(hub), messageLatency_(messageLatency), statuses_(statuses) {}

    // Answers a request by the route its method and path name (404 and 405
    // when none).
    void answer(const httplib::Request& request, httplib::Response& response);

  private:
    void say(std::string_view id, const httplib::Request& request, httplib::Response& response);
    void transcript(std::string_view id, httplib::Response& response);
    void end(std::string_view id, httplib::Response& response);
    void stats(httplib::Response& response);
    void metrics(httplib::Response& response);

    HubThread& hub_;
    LatencyHistogram& messageLatency_;
    const StatusCounts& statuses_;
};

} // namespace besedka::server
