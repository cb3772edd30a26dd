#pragma once

// The HTTP API of `besedka serve`, declared once: its routes, the errors it
// answers with and the options of the command. The router, the help, the
// manual page and the API description follow from these tables (a test holds
// docs/api/openapi.yaml to them). The options are in serve_options.h.

#include <span>
#include <string_view>
#include <vector>

namespace besedka::server {

enum class ErrorCode {
    BadRequest,           // HTTP the library could not read
    BadJson,              // the body is not a JSON object
    BadField,             // a field is missing, unknown or of the wrong type
    BadConversationId,    // {id} breaks its rule
    Unauthorized,         // no token, or a wrong one
    NotFound,             // no such route
    NoConversation,       // no such open conversation
    MethodNotAllowed,     // the route takes other methods
    BodyTooLarge,         // over kMaxBodyBytes
    UnsupportedMediaType, // not application/json (UTF-8)
    NothingToSay,         // nothing the chat can take is left of the text
    ReservedCharacters,   // "^", "_" or ";"
    TooManyRequests,      // this client address asked too fast
    TooManyConversations, // the limit of open conversations is reached
    BaseBusy,             // another program held Base for too long
    ShuttingDown,         // the server is stopping
    FileError,            // a file of the working directory failed
    Internal,             // anything else
};

struct ErrorEntry {
    ErrorCode code;
    std::string_view name; // as the error body's "code" says it
    int status;
    std::string_view meaning;
    int retryAfterSeconds = 0; // sent as Retry-After when above 0
};

std::span<const ErrorEntry> errorEntries();
const ErrorEntry& errorEntry(ErrorCode code);

enum class Endpoint { Say, Transcript, End, Health, Stats, Metrics };

struct Route {
    Endpoint endpoint;
    std::string_view method;
    std::string_view path; // "{id}" stands for a conversation id
    std::string_view summary;
    std::vector<ErrorCode> errors; // besides those every route may answer
    bool needsToken = true;        // when the server has a token
};

std::span<const Route> routes();
// What any route may answer besides its own errors.
std::span<const ErrorCode> commonErrors();

inline constexpr std::size_t kMaxBodyBytes = 64 * 1024;

} // namespace besedka::server
