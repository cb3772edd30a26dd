#include "api_server.h"

#include "bearer_token.h"
#include "endpoints.h"
#include "http_tuning.h"
#include "router.h"

#include <httplib.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace besedka::server {
namespace {

using Handled = httplib::Server::HandlerResponse;

bool carriesBody(const httplib::Request& request) {
    const std::string length = request.get_header_value("Content-Length");
    return (!length.empty() && length != "0") || request.has_header("Transfer-Encoding");
}

// The error for a status the library answered itself (a request it could not
// read, a body too large), where no handler of ours ran.
ApiError libraryError(const httplib::Request& request, int status) {
    switch (status) {
    case 404:
        return {ErrorCode::NotFound, "no such route: " + request.path};
    case 413:
        return {ErrorCode::BodyTooLarge, "the body is over 64 KiB"};
    case 400:
        return {ErrorCode::BadRequest, "the request is not HTTP that the server can read"};
    default:
        return {ErrorCode::Internal, "the request failed with status " + std::to_string(status)};
    }
}

} // namespace

// The server's hooks: checks before routing, the routes, and the errors the
// library answers on its own.
class ApiServer::Handlers {
  public:
    Handlers(ApiServer& server)
        : server_(server), endpoints_(server.hub_, server.messageLatency_, server.statuses_) {}

    Handled beforeRouting(const httplib::Request& request, httplib::Response& response) {
        if (!server_.limiter_.allow(request.remote_addr)) {
            return refuse(request, response,
                          {ErrorCode::TooManyRequests,
                           "too many requests from " + request.remote_addr + "; slow down"});
        }
        const RouteMatch match = matchRoute(request.method, request.path);
        const bool open = match.route != nullptr && !match.route->needsToken;
        if (server_.settings_.token && !open &&
            !bearerMatches(request.get_header_value("Authorization"), *server_.settings_.token)) {
            response.set_header("WWW-Authenticate", "Bearer");
            return refuse(
                request, response,
                {ErrorCode::Unauthorized, request.has_header("Authorization")
                                              ? "the token is wrong"
                                              : "this server needs Authorization: Bearer TOKEN"});
        }
        return Handled::Unhandled;
    }

    void route(const httplib::Request& request, httplib::Response& response) {
        endpoints_.answer(request, response);
    }

    Handled afterLibraryError(const httplib::Request& request, httplib::Response& response) {
        if (!response.body.empty()) {
            return Handled::Unhandled; // ours, already said
        }
        const RouteMatch match = matchRoute(request.method, request.path);
        if (response.status == 400 && match.route == nullptr && !match.allow.empty()) {
            // TRACE, CONNECT: methods the library refuses as bad requests
            endpoints_.answer(request, response);
        } else {
            answerError(response, libraryError(request, response.status));
        }
        return Handled::Handled;
    }

    void afterException(httplib::Response& response, std::exception_ptr thrown) {
        std::string what = "an unexpected failure";
        try {
            std::rethrow_exception(std::move(thrown));
        } catch (const std::exception& error) {
            what = error.what();
        } catch (...) {
        }
        answerError(response, {ErrorCode::Internal, what});
    }

    void count(const httplib::Response& response) { server_.statuses_.record(response.status); }

  private:
    // A refused request's body is never read: the connection closes after
    // the answer, so that its bytes are not taken for the next request.
    Handled refuse(const httplib::Request& request, httplib::Response& response,
                   const ApiError& error) {
        answerError(response, error);
        if (carriesBody(request)) {
            response.set_header("Connection", "close");
        }
        return Handled::Handled;
    }

    ApiServer& server_;
    Endpoints endpoints_;
};

ApiServer::ApiServer(HubThread& hub, ApiSettings settings)
    : hub_(hub), settings_(std::move(settings)),
      limiter_(settings_.ratePerSecond, 2 * settings_.ratePerSecond) {
    if (settings_.tls) {
        const std::string certificate = settings_.tls->certificate.string();
        const std::string key = settings_.tls->key.string();
        auto tls =
            std::make_unique<TunedServer<httplib::SSLServer>>(certificate.c_str(), key.c_str());
        if (!tls->is_valid()) {
            throw std::runtime_error("cannot use the certificate " + certificate +
                                     " with the key " + key +
                                     " (both PEM files, readable, and of one pair)");
        }
        http_ = std::move(tls);
    } else {
        http_ = std::make_unique<TunedServer<httplib::Server>>();
    }
    handlers_ = std::make_unique<Handlers>(*this);

    httplib::Server& http = *http_;
    tune(http, settings_.maxConnections);
    http.set_payload_max_length(kMaxBodyBytes);

    Handlers& handlers = *handlers_;
    http.set_pre_routing_handler([&handlers](const auto& request, auto& response) {
        return handlers.beforeRouting(request, response);
    });
    const auto route = [&handlers](const httplib::Request& request, httplib::Response& response) {
        handlers.route(request, response);
    };
    const std::string everyPath = ".*";
    http.Get(everyPath, route);
    http.Post(everyPath, route);
    http.Put(everyPath, route);
    http.Patch(everyPath, route);
    http.Delete(everyPath, route);
    http.Options(everyPath, route);
    http.set_error_handler(httplib::Server::HandlerWithResponse(
        [&handlers](const httplib::Request& request, httplib::Response& response) {
            return handlers.afterLibraryError(request, response);
        }));
    http.set_exception_handler(
        [&handlers](const httplib::Request&, httplib::Response& response, std::exception_ptr e) {
            handlers.afterException(response, std::move(e));
        });
    http.set_logger([&handlers](const httplib::Request&, const httplib::Response& response) {
        handlers.count(response);
    });
}

ApiServer::~ApiServer() = default;

int ApiServer::bind(const ListenAddress& address) {
    errno = 0;
    const int port = address.port == 0 ? http_->bind_to_any_port(address.host)
                     : http_->bind_to_port(address.host, address.port) ? address.port
                                                                       : -1;
    if (port < 0) {
        const int error = errno;
        throw std::runtime_error("cannot listen on " + address.withPort(address.port) +
                                 (error != 0 ? std::string(": ") + std::strerror(error) : ""));
    }
    if (settings_.tls) {
        static_cast<TunedServer<httplib::SSLServer>&>(*http_).lengthenListenQueue();
    } else {
        static_cast<TunedServer<httplib::Server>&>(*http_).lengthenListenQueue();
    }
    return port;
}

void ApiServer::serve() {
    {
        const std::lock_guard lock(starting_);
        if (stopAsked_) {
            return;
        }
        started_ = true;
    }
    http_->listen_after_bind();
    finished_ = true;
}

void ApiServer::stop() {
    {
        const std::lock_guard lock(starting_);
        stopAsked_ = true;
        if (!started_) {
            return; // serve() will not start
        }
    }
    // The library ignores a stop before its loop runs: wait for the loop.
    while (!http_->is_running() && !finished_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    http_->stop();
}

} // namespace besedka::server
