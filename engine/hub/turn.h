#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace besedka {

// The hub's own time for idleness and backups: a steady clock, apart from the
// engine's Clock, so that timing a conversation out never draws from the
// clock its replies are seeded by.
using HubInstant = std::chrono::steady_clock::time_point;

// One phrase said in one conversation.
struct SayRequest {
    SayRequest() = default;
    SayRequest(std::string id, std::string said, bool withTrace = false, std::string from = {})
        : conversation(std::move(id)), text(std::move(said)), trace(withTrace),
          origin(std::move(from)) {}

    std::string conversation; // 1..64 of A-Z a-z 0-9 . _ -
    std::string text;         // UTF-8, as the person typed it
    bool trace = false;       // give the diagnostic lines of the walk
    std::string origin;       // who said it, for the record: "serve 127.0.0.1:4242"
};

// Why a turn gave no reply.
enum class TurnErrorCode {
    BadConversation,      // the id breaks its rule
    NothingToSay,         // nothing the chat can take is left of the text
    ReservedCharacters,   // "^", "_" or ";", which would break the tree's grammar
    TooManyConversations, // the limit of open conversations is reached
    BaseBusy,             // another program held Base for too long
    FileError,            // a file of the working directory failed
    ShuttingDown,         // the hub takes no more turns
};

struct TurnError {
    TurnErrorCode code = TurnErrorCode::FileError;
    std::string message; // English, one sentence
};

// What a turn produced. Text is UTF-8.
struct TurnOutcome {
    std::string conversation;
    std::string shown;              // the phrase as the pane shows it
    std::string reply;              // the reply
    std::vector<std::string> trace; // the walk's diagnostic lines ("NomerRazryada = 1")
    bool learned = false;           // the turn changed the knowledge base
    bool ended = false;             // a farewell: the conversation is over
    std::optional<TurnError> error; // set: no reply, nothing of the turn kept
};

// Running figures of a hub, for a metrics page.
struct HubCounters {
    std::uint64_t turns = 0;        // turns answered
    std::uint64_t failedTurns = 0;  // turns answered with an error
    std::uint64_t learnedTurns = 0; // turns that changed the knowledge base
    std::uint64_t commits = 0;      // changes committed (one per batch that learned)
    std::uint64_t batches = 0;      // batches run
    std::uint64_t batchedTurns = 0; // turns over all batches (sum of batch sizes)
    std::uint64_t endedConversations = 0;
    std::uint64_t backups = 0; // backups taken
};

} // namespace besedka
