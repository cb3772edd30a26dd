#include "hub/conversation_hub.h"

#include "curation/stats.h"
#include "files/file_error.h"
#include "files/file_store.h"
#include "hub/conversation.h"
#include "hub/hub_phrase.h"
#include "talk/clock.h"
#include "text/cp1251.h"

#include <algorithm>
#include <unordered_map>
#include <variant>

namespace besedka {
namespace {

std::string utf8(std::string_view cp1251) {
    return cp1251ToUtf8(cp1251);
}

std::vector<std::string> utf8Lines(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    out.reserve(lines.size());
    for (const auto& line : lines) {
        out.push_back(utf8(line));
    }
    return out;
}

TurnOutcome failed(const std::string& conversation, TurnError error) {
    TurnOutcome outcome;
    outcome.conversation = conversation;
    outcome.error = std::move(error);
    return outcome;
}

TurnError fileError(const std::exception& error) {
    return {TurnErrorCode::FileError, error.what()};
}

} // namespace

bool isConversationId(std::string_view id) {
    constexpr std::size_t kLongest = 64;
    return !id.empty() && id.size() <= kLongest && std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '.' || c == '_' || c == '-';
    });
}

struct ConversationHub::State {
    State(const FileStore& store, Clock& time, HubOptions chosen)
        : files(store), clock(time), options(chosen), knowledge(store) {}

    const FileStore& files;
    Clock& clock;
    HubOptions options;
    KnowledgeFiles knowledge; // one cache of the files for every dialogue
    std::unordered_map<std::string, std::unique_ptr<Conversation>> conversations;
    HubCounters counters;
    bool backupDue = true; // the store takes one before the next write
    HubInstant lastBackup{};

    // A batch in progress: where each dialogue it touched stood before it,
    // and the tree edits made so far, for the dialogues it has not touched.
    struct Touched {
        std::string id;
        Conversation* conversation = nullptr;
        std::optional<Engine::Savepoint> before; // none: made in this batch
    };
    std::vector<Touched> touched;
    std::vector<std::pair<Conversation*, TreeEdit>> edits;
    // Dialogues a farewell ended in this batch: gone from the map, so that
    // the next turn of the id starts anew, but kept until the batch is over.
    std::vector<std::unique_ptr<Conversation>> ended;

    Conversation* find(std::string_view id) {
        const auto found = conversations.find(std::string(id));
        return found == conversations.end() ? nullptr : found->second.get();
    }
    bool wasTouched(const Conversation* conversation) const {
        return std::any_of(touched.begin(), touched.end(),
                           [&](const Touched& t) { return t.conversation == conversation; });
    }

    // The dialogue for a turn, made when new; nothing past the limit.
    Conversation* enter(const std::string& id, HubInstant now) {
        Conversation* conversation = find(id);
        if (conversation == nullptr) {
            if (conversations.size() >= options.maxConversations) {
                return nullptr;
            }
            auto made = std::make_unique<Conversation>(files, clock, knowledge, now);
            conversation = made.get();
            conversations.emplace(id, std::move(made));
            touched.push_back({id, conversation, std::nullopt});
        } else if (!wasTouched(conversation)) {
            touched.push_back({id, conversation, conversation->engine().savepoint()});
            for (const auto& [source, edit] : edits) {
                conversation->engine().followTreeEdit(edit);
            }
        }
        conversation->touch(now);
        return conversation;
    }

    void shareEdits(Conversation* source) {
        for (const TreeEdit& edit : source->engine().takeTreeEdits()) {
            for (const Touched& t : touched) {
                if (t.conversation != source) {
                    t.conversation->engine().followTreeEdit(edit);
                }
            }
            edits.emplace_back(source, edit);
        }
    }

    void forget(const Conversation* conversation) {
        std::erase_if(conversations,
                      [&](const auto& entry) { return entry.second.get() == conversation; });
    }

    void retire(const std::string& id) {
        auto found = conversations.find(id);
        if (found != conversations.end()) {
            ended.push_back(std::move(found->second));
            conversations.erase(found);
        }
    }

    // A dialogue made by a turn that failed is dropped again.
    void dropIfNew(Conversation* conversation) {
        const auto made = std::find_if(touched.begin(), touched.end(), [&](const Touched& t) {
            return t.conversation == conversation && !t.before;
        });
        if (made != touched.end() && conversation->engine().dialogue().transcript().empty()) {
            touched.erase(made);
            forget(conversation);
        }
    }

    // The batch's change failed: every dialogue it touched goes back as it
    // was, those it ended included.
    void rollBackBatch() {
        for (const Touched& t : touched) {
            if (!t.before) {
                forget(t.conversation);
                continue;
            }
            t.conversation->engine().rollBack(*t.before);
            const auto retired = std::find_if(ended.begin(), ended.end(), [&](const auto& e) {
                return e.get() == t.conversation;
            });
            if (retired != ended.end()) {
                conversations[t.id] = std::move(*retired);
                ended.erase(retired);
            }
        }
        ended.clear();
    }

    // The batch's change is durable: the dialogues it did not touch follow
    // its edits of the tree.
    void settleBatch() {
        if (!edits.empty()) {
            for (auto& [id, conversation] : conversations) {
                if (!wasTouched(conversation.get())) {
                    for (const auto& [source, edit] : edits) {
                        conversation->engine().followTreeEdit(edit);
                    }
                }
            }
        }
        touched.clear();
        edits.clear();
        ended.clear();
    }

    TurnOutcome runTurn(const SayRequest& turn, HubInstant now);
    void noteWrite(HubInstant now) {
        if (backupDue) {
            backupDue = false;
            lastBackup = now;
            ++counters.backups;
        }
    }
    void armBackupIfDue(HubInstant now) {
        if (!backupDue && now - lastBackup >= options.backupPeriod) {
            files.armBeforeNextWrite();
            backupDue = true;
        }
    }
    std::optional<KnowledgeBaseHold> hold() const {
        return files.tryHoldKnowledgeBase(options.lockPatience);
    }
    // Appends the dialogues' log blocks in one change.
    void writeLogBlocks(const std::vector<Conversation*>& dialogues, HubInstant now);
    // Ends the dialogues with their log blocks in one change.
    void endWithLog(const std::vector<Conversation*>& ending, HubInstant now);
};

TurnOutcome ConversationHub::State::runTurn(const SayRequest& turn, HubInstant now) {
    if (!isConversationId(turn.conversation)) {
        return failed(turn.conversation,
                      {TurnErrorCode::BadConversation,
                       "a conversation id is 1 to 64 characters of A-Z a-z 0-9 . _ -"});
    }
    auto phrase = chatPhrase(turn.text);
    if (const auto* error = std::get_if<TurnError>(&phrase)) {
        return failed(turn.conversation, *error);
    }
    Conversation* conversation = enter(turn.conversation, now);
    if (conversation == nullptr) {
        return failed(turn.conversation, {TurnErrorCode::TooManyConversations,
                                          "too many conversations are open; try again later"});
    }
    Engine& engine = conversation->engine();
    const Engine::Savepoint before = engine.savepoint();
    const ChangeSavepoint filesBefore(files);
    try {
        const ExchangeResult result = engine.say(std::get<std::string>(phrase));
        if (result.farewell) {
            engine.appendDialogueLog(clock.localNow());
        }
        shareEdits(conversation);
        if (result.farewell) {
            retire(turn.conversation);
        }
        TurnOutcome outcome;
        outcome.conversation = turn.conversation;
        outcome.shown = utf8(result.shown);
        outcome.reply = utf8(result.reply);
        if (turn.trace) {
            outcome.trace = utf8Lines(result.diagnostics);
        }
        outcome.learned = result.learned;
        outcome.ended = result.farewell;
        return outcome;
    } catch (const Error& error) {
        filesBefore.rollBack();
        engine.rollBack(before);
        dropIfNew(conversation);
        return failed(turn.conversation, fileError(error));
    }
}

void ConversationHub::State::writeLogBlocks(const std::vector<Conversation*>& dialogues,
                                            HubInstant now) {
    if (dialogues.empty()) {
        return;
    }
    const auto held = hold();
    if (!held) {
        throw FileError(FileError::Operation::Lock, "Base",
                        std::make_error_code(std::errc::resource_unavailable_try_again));
    }
    armBackupIfDue(now);
    {
        BaseChange change(files);
        for (Conversation* conversation : dialogues) {
            conversation->engine().appendDialogueLog(clock.localNow());
        }
        change.commit();
    }
    noteWrite(now);
}

void ConversationHub::State::endWithLog(const std::vector<Conversation*>& ending, HubInstant now) {
    writeLogBlocks(ending, now);
    for (Conversation* conversation : ending) {
        forget(conversation);
        ++counters.endedConversations;
    }
}

ConversationHub::ConversationHub(const FileStore& files, Clock& clock, HubOptions options)
    : state_(std::make_unique<State>(files, clock, options)) {}

ConversationHub::~ConversationHub() = default;

std::vector<TurnOutcome> ConversationHub::runBatch(const std::vector<SayRequest>& turns,
                                                   HubInstant now) {
    State& s = *state_;
    std::vector<TurnOutcome> outcomes;
    outcomes.reserve(turns.size());
    const auto failAll = [&](const TurnError& error) {
        outcomes.clear();
        for (const SayRequest& turn : turns) {
            outcomes.push_back(failed(turn.conversation, error));
        }
    };
    std::optional<TurnError> refusal;
    const auto held = [&]() -> std::optional<KnowledgeBaseHold> {
        try {
            auto taken = s.hold();
            if (!taken) {
                refusal = {TurnErrorCode::BaseBusy,
                           "another program holds the knowledge base; try again"};
            }
            return taken;
        } catch (const Error& error) {
            refusal = fileError(error);
            return std::nullopt;
        }
    }();
    if (refusal) {
        failAll(*refusal);
    }
    if (held) {
        s.armBackupIfDue(now);
        try {
            BaseChange change(s.files);
            for (const SayRequest& turn : turns) {
                outcomes.push_back(s.runTurn(turn, now));
            }
            change.commit();
        } catch (const Error& error) {
            s.rollBackBatch();
            failAll(fileError(error));
        }
        s.settleBatch();
    }
    ++s.counters.batches;
    s.counters.batchedTurns += turns.size();
    bool wrote = false;
    for (const TurnOutcome& outcome : outcomes) {
        if (outcome.error) {
            ++s.counters.failedTurns;
            continue;
        }
        ++s.counters.turns;
        s.counters.learnedTurns += outcome.learned ? 1 : 0;
        wrote = wrote || outcome.learned || outcome.ended;
        s.counters.endedConversations += outcome.ended ? 1 : 0;
    }
    if (wrote) {
        ++s.counters.commits;
        s.noteWrite(now);
    }
    return outcomes;
}

std::optional<std::vector<std::string>>
ConversationHub::transcript(std::string_view conversation) const {
    const auto found = state_->conversations.find(std::string(conversation));
    if (found == state_->conversations.end()) {
        return std::nullopt;
    }
    return utf8Lines(found->second->engine().dialogue().transcript());
}

bool ConversationHub::end(std::string_view conversation, HubInstant now) {
    Conversation* found = state_->find(conversation);
    if (found == nullptr) {
        return false;
    }
    state_->endWithLog({found}, now);
    return true;
}

std::size_t ConversationHub::endIdle(HubInstant now) {
    std::vector<Conversation*> idle;
    std::vector<Conversation*> talkative;
    for (const auto& [id, conversation] : state_->conversations) {
        if (now - conversation->lastActive() >= state_->options.idleLimit) {
            idle.push_back(conversation.get());
        } else if (conversation->engine().dialogue().transcript().size() >=
                   Conversation::kTranscriptLines) {
            talkative.push_back(conversation.get());
        }
    }
    state_->writeLogBlocks(talkative, now);
    for (Conversation* conversation : talkative) {
        conversation->engine().dialogue().clearTranscript(); // its lines are in the log now
    }
    state_->endWithLog(idle, now);
    return idle.size();
}

void ConversationHub::endAll(HubInstant now) {
    std::vector<Conversation*> all;
    for (const auto& [id, conversation] : state_->conversations) {
        all.push_back(conversation.get());
    }
    state_->endWithLog(all, now);
}

void ConversationHub::recover() const {
    try {
        const auto held = state_->hold();
    } catch (const Error&) {
        // The first turn meets it and says why.
    }
}

std::size_t ConversationHub::openConversations() const {
    return state_->conversations.size();
}

const HubCounters& ConversationHub::counters() const {
    return state_->counters;
}

KnowledgeStats ConversationHub::stats() const {
    const auto held = state_->hold();
    if (!held) {
        throw FileError(FileError::Operation::Lock, "Base",
                        std::make_error_code(std::errc::resource_unavailable_try_again));
    }
    return knowledgeStats(state_->files);
}

const HubOptions& ConversationHub::options() const {
    return state_->options;
}

} // namespace besedka
