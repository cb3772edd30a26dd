// Takes any bytes as what a client sends to POST /v1/conversations/{id}/messages:
// the first line is the Content-Type, the second the conversation id, the
// rest the body. Nothing throws or crashes; a refusal is a client error whose
// body is JSON naming its code; an accepted body says again what it said; an
// accepted id is one the router gives back whole.

#include "server/api_error.h"
#include "server/message_request.h"
#include "server/router.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::string_view takeLine(std::string_view& input) {
    const std::size_t end = std::min(input.find('\n'), input.size());
    const std::string_view line = input.substr(0, end);
    input.remove_prefix(std::min(end + 1, input.size()));
    return line;
}

bool idCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

void checkError(const besedka::server::ApiError& error) {
    const auto& entry = besedka::server::errorEntry(error.code);
    check(entry.status >= 400 && entry.status < 500);
    const auto body = nlohmann::json::parse(besedka::server::errorBody(error));
    check(body.at("error").at("code") == entry.name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace besedka::server;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string_view contentType = takeLine(input);
    const std::string_view id = takeLine(input);
    const std::string_view body = input;

    const auto parsed = parseMessageRequest(contentType, body);
    if (const auto* error = std::get_if<ApiError>(&parsed)) {
        checkError(*error);
    } else {
        const auto& message = std::get<MessageRequest>(parsed);
        const nlohmann::json again{{"text", message.text}, {"trace", message.trace}};
        const auto reparsed = parseMessageBody(again.dump());
        const auto* same = std::get_if<MessageRequest>(&reparsed);
        check(same != nullptr && same->text == message.text && same->trace == message.trace);
    }

    const auto idProblem = conversationIdProblem(id);
    const bool wellFormed =
        !id.empty() && id.size() <= 64 && std::all_of(id.begin(), id.end(), idCharacter);
    check(idProblem.has_value() != wellFormed);
    if (idProblem) {
        checkError(*idProblem);
    } else {
        const RouteMatch match =
            matchRoute("POST", "/v1/conversations/" + std::string(id) + "/messages");
        check(match.route != nullptr && match.route->endpoint == Endpoint::Say && match.id == id);
    }
    return 0;
}
