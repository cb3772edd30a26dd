#include "endpoints.h"

#include "answers.h"
#include "curation/stats.h"
#include "files/error.h"
#include "hub/hub_thread.h"
#include "message_request.h"
#include "router.h"

#include <httplib.h>

#include <chrono>

namespace besedka::server {
namespace {

constexpr const char* kJson = "application/json";

// What a hub call that threw means for the client.
ApiError errorOf(std::exception_ptr thrown) {
    try {
        std::rethrow_exception(std::move(thrown));
    } catch (const Error& error) {
        return {error.kind() == Error::Kind::BaseBusy ? ErrorCode::BaseBusy : ErrorCode::FileError,
                error.what()};
    } catch (const std::future_error&) {
        return {ErrorCode::ShuttingDown, "the server is stopping"};
    } catch (const std::exception& error) {
        return {ErrorCode::Internal, error.what()};
    }
}

// The hub's answer to a call, or the error it ended in.
template <typename Value, typename Use>
void withAnswer(std::future<Value> future, httplib::Response& response, Use use) {
    std::exception_ptr thrown;
    try {
        use(future.get());
        return;
    } catch (...) {
        thrown = std::current_exception();
    }
    answerError(response, errorOf(thrown));
}

} // namespace

void answerError(httplib::Response& response, const ApiError& error) {
    const ErrorEntry& entry = errorEntry(error.code);
    response.status = entry.status;
    if (entry.retryAfterSeconds > 0) {
        response.set_header("Retry-After", std::to_string(entry.retryAfterSeconds));
    }
    response.set_content(errorBody(error), kJson);
}

void Endpoints::answer(const httplib::Request& request, httplib::Response& response) {
    const RouteMatch match = matchRoute(request.method, request.path);
    if (match.route == nullptr) {
        if (!match.allow.empty()) {
            response.set_header("Allow", match.allow);
            answerError(response, {ErrorCode::MethodNotAllowed,
                                   request.method + " is not taken here; " + match.allow + " are"});
        } else {
            answerError(response, {ErrorCode::NotFound, "no such route: " + request.path});
        }
        return;
    }
    switch (match.route->endpoint) {
    case Endpoint::Say:
        return say(match.id, request, response);
    case Endpoint::Transcript:
        return transcript(match.id, response);
    case Endpoint::End:
        return end(match.id, response);
    case Endpoint::Health:
        return response.set_content(R"({"status":"ok"})", kJson);
    case Endpoint::Stats:
        return stats(response);
    case Endpoint::Metrics:
        return metrics(response);
    }
}

void Endpoints::say(std::string_view id, const httplib::Request& request,
                    httplib::Response& response) {
    const auto start = std::chrono::steady_clock::now();
    if (auto problem = conversationIdProblem(id)) {
        return answerError(response, *problem);
    }
    auto parsed = parseMessageRequest(request.get_header_value("Content-Type"), request.body);
    if (const auto* problem = std::get_if<ApiError>(&parsed)) {
        return answerError(response, *problem);
    }
    auto& message = std::get<MessageRequest>(parsed);
    SayRequest turn{std::string(id), std::move(message.text), message.trace,
                    "serve " + request.remote_addr + ":" + std::to_string(request.remote_port)};
    withAnswer(hub_.say(std::move(turn)), response, [&](const TurnOutcome& outcome) {
        if (outcome.error) {
            return answerError(response, turnError(*outcome.error));
        }
        response.set_content(turnBody(outcome, message.trace), kJson);
    });
    messageLatency_.record(std::chrono::steady_clock::now() - start);
}

void Endpoints::transcript(std::string_view id, httplib::Response& response) {
    if (auto problem = conversationIdProblem(id)) {
        return answerError(response, *problem);
    }
    withAnswer(hub_.transcript(std::string(id)), response, [&](const auto& lines) {
        if (!lines) {
            return answerError(response, {ErrorCode::NoConversation,
                                          "no conversation \"" + std::string(id) + "\" is open"});
        }
        response.set_content(transcriptBody(id, *lines), kJson);
    });
}

void Endpoints::end(std::string_view id, httplib::Response& response) {
    if (auto problem = conversationIdProblem(id)) {
        return answerError(response, *problem);
    }
    withAnswer(hub_.end(std::string(id)), response, [&](bool ended) {
        if (!ended) {
            return answerError(response, {ErrorCode::NoConversation,
                                          "no conversation \"" + std::string(id) + "\" is open"});
        }
        response.set_content(endedBody(id), kJson);
    });
}

void Endpoints::stats(httplib::Response& response) {
    withAnswer(hub_.stats(), response, [&](const KnowledgeStats& figures) {
        response.set_content(statsBody(figures), kJson);
    });
}

void Endpoints::metrics(httplib::Response& response) {
    auto counters = hub_.counters();
    auto open = hub_.openConversations();
    withAnswer(std::move(counters), response, [&](const HubCounters& hub) {
        withAnswer(std::move(open), response, [&](std::size_t conversations) {
            response.set_content(metricsText(hub, conversations, {messageLatency_, statuses_}),
                                 "text/plain; version=0.0.4; charset=utf-8");
        });
    });
}

} // namespace besedka::server
