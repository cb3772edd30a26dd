#include "api_catalogue.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace besedka::server {
namespace {

using enum ErrorCode;

constexpr std::array<ErrorEntry, 18> kErrors{{
    {BadRequest, "bad_request", 400, "the request is not HTTP that the server can read"},
    {BadJson, "bad_json", 400, "the body is not a JSON object"},
    {BadField, "bad_field", 400, "a field is missing, unknown or of the wrong type"},
    {BadConversationId, "bad_conversation_id", 400,
     "the conversation id is not 1 to 64 characters of A-Z a-z 0-9 . _ -"},
    {Unauthorized, "unauthorized", 401,
     "the server needs Authorization: Bearer TOKEN, and it is missing or wrong"},
    {NotFound, "not_found", 404, "no such route"},
    {NoConversation, "no_conversation", 404, "no conversation with this id is open"},
    {MethodNotAllowed, "method_not_allowed", 405,
     "the route takes other methods (the Allow header names them)"},
    {BodyTooLarge, "body_too_large", 413, "the body is over 64 KiB"},
    {UnsupportedMediaType, "unsupported_media_type", 415,
     "the body is not application/json in UTF-8"},
    {NothingToSay, "nothing_to_say", 422,
     "nothing the chat can take is left of the text (empty, or only characters that "
     "Windows-1251 lacks)"},
    {ReservedCharacters, "reserved_characters", 422,
     "the text holds ^, _ or ;, which would break the knowledge tree"},
    {TooManyRequests, "too_many_requests", 429,
     "this client address sent requests faster than --rate allows", 1},
    {TooManyConversations, "too_many_conversations", 503,
     "--max-conversations conversations are open", 60},
    {BaseBusy, "base_busy", 503, "another program held the knowledge base too long", 2},
    {ShuttingDown, "shutting_down", 503, "the server is stopping", 5},
    {FileError, "file_error", 500, "a file of the working directory could not be read or written"},
    {Internal, "internal", 500, "an unexpected failure"},
}};

constexpr std::array<ErrorCode, 4> kCommonErrors{Unauthorized, MethodNotAllowed, TooManyRequests,
                                                 Internal};

} // namespace

std::span<const ErrorEntry> errorEntries() {
    return kErrors;
}

const ErrorEntry& errorEntry(ErrorCode code) {
    const auto found = std::find_if(kErrors.begin(), kErrors.end(),
                                    [code](const ErrorEntry& entry) { return entry.code == code; });
    if (found == kErrors.end()) {
        throw std::logic_error("an error code without an entry");
    }
    return *found;
}

std::span<const Route> routes() {
    static const std::vector<Route> list{
        {Endpoint::Say,
         "POST",
         "/v1/conversations/{id}/messages",
         "say a phrase in conversation {id} (opened by its first message); body "
         "{\"text\": \"...\", \"trace\": false}",
         {BadJson, BadField, BadConversationId, BodyTooLarge, UnsupportedMediaType, NothingToSay,
          ReservedCharacters, TooManyConversations, BaseBusy, ShuttingDown, FileError}},
        {Endpoint::Transcript,
         "GET",
         "/v1/conversations/{id}",
         "the transcript of open conversation {id}",
         {BadConversationId, NoConversation, ShuttingDown}},
        {Endpoint::End,
         "DELETE",
         "/v1/conversations/{id}",
         "end conversation {id}, its dialogue written to the log",
         {BadConversationId, NoConversation, ShuttingDown, FileError}},
        {Endpoint::Health, "GET", "/v1/health", "whether the server answers", {}, false},
        {Endpoint::Stats,
         "GET",
         "/v1/stats",
         "the figures of kb stats, as JSON",
         {ShuttingDown, FileError}},
        {Endpoint::Metrics,
         "GET",
         "/metrics",
         "turns, learned lines, commits, batch sizes, latencies and open "
         "conversations, as Prometheus text",
         {ShuttingDown}},
    };
    return list;
}

std::span<const ErrorCode> commonErrors() {
    return kCommonErrors;
}

} // namespace besedka::server
