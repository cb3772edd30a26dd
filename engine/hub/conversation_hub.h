#pragma once

#include "hub/turn.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace besedka {

class Clock;
class FileStore;
struct KnowledgeStats;

struct HubOptions {
    std::size_t maxConversations = 10000;
    std::chrono::minutes idleLimit{30};    // an idle conversation ends after this
    std::chrono::minutes backupPeriod{60}; // at most one backup this often while changes go on
    std::chrono::milliseconds lockPatience{5000}; // longer: the turns fail as BaseBusy
};

// Many conversations against one working directory, each its own dialogue
// with its own state, as the chat keeps one. Not thread-safe: one thread owns
// the hub and its files (HubThread), and everything reaches it through that
// thread's queue. Opens no sockets and reads no wall clock of its own: its
// time comes in as arguments, so tests drive it on fake time.
class ConversationHub {
  public:
    ConversationHub(const FileStore& files, Clock& clock, HubOptions options = {});
    ~ConversationHub();
    ConversationHub(const ConversationHub&) = delete;
    ConversationHub& operator=(const ConversationHub&) = delete;

    // Runs the turns one after another under one hold of the knowledge
    // base's lock, each seeing what the ones before it learned, and commits
    // what they learned as one change. A turn that fails leaves nothing of
    // itself (a savepoint) and gets its error; the others go on. When this
    // returns, everything the outcomes say was learned is durable. Outcomes
    // are in the order of the turns.
    std::vector<TurnOutcome> runBatch(const std::vector<SayRequest>& turns, HubInstant now);

    // The conversation's transcript lines ("USER:     ..."), UTF-8; nothing
    // when no such conversation is open.
    std::optional<std::vector<std::string>> transcript(std::string_view conversation) const;
    // Ends the conversation as "Выход" does: its block goes to the dialogue
    // log. False when no such conversation is open. Throws FileError when the
    // log cannot be written (the conversation stays open then).
    bool end(std::string_view conversation, HubInstant now);
    // Ends every conversation idle since before `now - idleLimit`, and
    // writes the log block of every other one whose transcript has grown long
    // (it goes on with an empty transcript); returns how many ended. Throws FileError as end() does
    // (they stay open then).
    std::size_t endIdle(HubInstant now);
    // Ends every open conversation, each with its log block (at shutdown).
    void endAll(HubInstant now);

    // Takes the lock once, so that what a killed run left (a change to
    // finish, temporary files) is dealt with at start rather than at the
    // first turn. A base that is busy or missing is left for that turn.
    void recover() const;

    std::size_t openConversations() const;
    const HubCounters& counters() const;
    // The figures of `kb stats`, read under the lock. Throws FileError.
    KnowledgeStats stats() const;
    const HubOptions& options() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// Whether `id` may name a conversation: 1 to 64 characters of A-Z a-z 0-9 . _ -
bool isConversationId(std::string_view id);

} // namespace besedka
