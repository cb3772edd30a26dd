#include "message_request.h"

#include "hub/conversation_hub.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>

namespace besedka::server {
namespace {

std::string lowered(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// "charset=utf-8", "charset=\"UTF-8\"" or any other parameter: the charset
// named, if any.
std::optional<std::string> charsetOf(std::string_view parameter) {
    const std::size_t equals = parameter.find('=');
    if (equals == std::string_view::npos ||
        lowered(trimmed(parameter.substr(0, equals))) != "charset") {
        return std::nullopt;
    }
    std::string_view value = trimmed(parameter.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return lowered(value);
}

// A quote of what a client sent, short and on one line.
std::string shortQuote(std::string_view text) {
    constexpr std::size_t kLongest = 40;
    std::string quote(text.substr(0, kLongest));
    std::replace_if(
        quote.begin(), quote.end(), [](unsigned char c) { return c < 0x20; }, ' ');
    return '"' + quote + (text.size() > kLongest ? "...\"" : "\"");
}

ApiError badField(std::string message) {
    return {ErrorCode::BadField, std::move(message)};
}

} // namespace

std::optional<ApiError> contentTypeProblem(std::string_view contentType) {
    const std::size_t semicolon = std::min(contentType.find(';'), contentType.size());
    const bool json = lowered(trimmed(contentType.substr(0, semicolon))) == "application/json";
    std::string_view parameters = contentType.substr(std::min(semicolon + 1, contentType.size()));
    bool utf8 = true;
    while (json && !parameters.empty()) {
        const std::size_t end = std::min(parameters.find(';'), parameters.size());
        const auto charset = charsetOf(parameters.substr(0, end));
        utf8 = utf8 && (!charset || *charset == "utf-8" || *charset == "utf8");
        parameters.remove_prefix(std::min(end + 1, parameters.size()));
    }
    if (json && utf8) {
        return std::nullopt;
    }
    return ApiError{ErrorCode::UnsupportedMediaType,
                    contentType.empty() ? "the body needs Content-Type: application/json"
                                        : "the body must be application/json in UTF-8, not " +
                                              shortQuote(contentType)};
}

std::variant<MessageRequest, ApiError> parseMessageBody(std::string_view body) {
    nlohmann::json document;
    try {
        document = nlohmann::json::parse(body);
    } catch (const nlohmann::json::parse_error& error) {
        // "[json.exception.parse_error.101] parse error at line 1, ...": the
        // library's tag is not the client's business.
        const std::string what = error.what();
        const std::size_t tagEnd = what.find("] ");
        return ApiError{ErrorCode::BadJson,
                        "the body is not JSON: " +
                            (tagEnd == std::string::npos ? what : what.substr(tagEnd + 2))};
    }
    if (!document.is_object()) {
        return ApiError{ErrorCode::BadJson, "the body must be a JSON object such as "
                                            "{\"text\": \"Привет\"}"};
    }
    MessageRequest request;
    bool hasText = false;
    for (const auto& [name, value] : document.items()) {
        if (name == "text") {
            if (!value.is_string()) {
                return badField("\"text\" must be a string");
            }
            request.text = value.get<std::string>();
            hasText = true;
        } else if (name == "trace") {
            if (!value.is_boolean()) {
                return badField("\"trace\" must be true or false");
            }
            request.trace = value.get<bool>();
        } else {
            return badField("unknown field " + shortQuote(name) +
                            "; a message has \"text\" and "
                            "\"trace\"");
        }
    }
    if (!hasText) {
        return badField("\"text\" is missing: {\"text\": \"Привет\"}");
    }
    return request;
}

std::variant<MessageRequest, ApiError> parseMessageRequest(std::string_view contentType,
                                                           std::string_view body) {
    if (auto problem = contentTypeProblem(contentType)) {
        return *std::move(problem);
    }
    return parseMessageBody(body);
}

std::optional<ApiError> conversationIdProblem(std::string_view id) {
    if (isConversationId(id)) {
        return std::nullopt;
    }
    return ApiError{ErrorCode::BadConversationId,
                    "conversation id " + shortQuote(id) +
                        " is not 1 to 64 characters of A-Z a-z 0-9 . _ -"};
}

} // namespace besedka::server
