#pragma once

// What a client sends, checked before anything reaches the conversation hub:
// pure functions over the request's text, so that the fuzzer can call them.

#include "api_error.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace besedka::server {

// The body of POST /v1/conversations/{id}/messages.
struct MessageRequest {
    std::string text; // UTF-8, as the person typed it
    bool trace = false;
};

// Whether the Content-Type names JSON in UTF-8: application/json, any letter
// case, with no charset or charset=utf-8. Nothing when it does.
std::optional<ApiError> contentTypeProblem(std::string_view contentType);

// The message a body asks for, or why it is refused: not a JSON object,
// a field missing, of the wrong type or unknown.
std::variant<MessageRequest, ApiError> parseMessageBody(std::string_view body);

// Both of the above.
std::variant<MessageRequest, ApiError> parseMessageRequest(std::string_view contentType,
                                                           std::string_view body);

// Why `id` cannot name a conversation; nothing when it can.
std::optional<ApiError> conversationIdProblem(std::string_view id);

} // namespace besedka::server
