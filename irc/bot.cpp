#include "irc/bot.h"

#include "irc/connection.h"
#include "irc/responder.h"

#include <chrono>

namespace besedka::irc {
namespace {

constexpr int kCollectEveryMs = 10;

template <typename T> bool ready(const std::future<T>& future) {
    return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

} // namespace

Bot::Bot(Connection& connection, Responder& responder, BehaviourSettings settings, Log log,
         QObject* parent)
    : QObject(parent), connection_(connection), responder_(responder),
      behaviour_(std::move(settings)), log_(std::move(log)) {
    collectTimer_.setInterval(kCollectEveryMs);
    connect(&collectTimer_, &QTimer::timeout, this, &Bot::collect);
    connect(&connection_, &Connection::received, this, &Bot::hear);
}

void Bot::stopListening() {
    listening_ = false;
}

void Bot::hear(const Message& message) {
    if (!listening_) {
        return;
    }
    Reaction reaction =
        behaviour_.react(message, RoomView{connection_.nick(), connection_.features()},
                         std::chrono::steady_clock::now());
    for (const Notice& notice : reaction.notices) {
        connection_.send("NOTICE", {notice.target, notice.text});
    }
    for (std::string& conversation : reaction.ended) {
        endConversation(std::move(conversation));
    }
    if (reaction.phrase) {
        SayRequest request;
        request.conversation = reaction.phrase->conversation;
        request.text = reaction.phrase->text;
        request.origin = reaction.phrase->origin;
        turns_.push_back({std::move(*reaction.phrase), responder_.say(std::move(request))});
    }
    if (awaited() > 0 && !collectTimer_.isActive()) {
        collectTimer_.start();
    }
}

void Bot::endConversation(std::string conversation) {
    std::future<bool> ended = responder_.end(conversation);
    endings_.push_back({std::move(conversation), std::move(ended)});
}

// Answers go out in the order their phrases came: a later answer waits for
// an earlier one still being worked on.
void Bot::collect() {
    while (!turns_.empty() && ready(turns_.front().outcome)) {
        AwaitedTurn turn = std::move(turns_.front());
        turns_.erase(turns_.begin());
        try {
            reply(turn.phrase, turn.outcome.get());
        } catch (const std::exception& error) {
            log_("no answer to " + turn.phrase.origin + ": " + error.what());
        }
    }
    std::erase_if(endings_, [this](AwaitedEnd& ending) {
        if (!ready(ending.ended)) {
            return false;
        }
        try {
            ending.ended.get();
        } catch (const std::exception& error) {
            log_("conversation " + ending.conversation + " not ended: " + error.what());
        }
        return true;
    });
    if (awaited() == 0) {
        collectTimer_.stop();
    }
}

void Bot::reply(const Phrase& phrase, const TurnOutcome& outcome) {
    if (outcome.ended) {
        behaviour_.conversationEnded(phrase.conversation);
    }
    if (outcome.error) {
        const TurnErrorCode code = outcome.error->code;
        // A phrase of nothing the chat can take, or of the tree's reserved
        // characters, gets no answer, as the window says nothing to it.
        if (code != TurnErrorCode::NothingToSay && code != TurnErrorCode::ReservedCharacters) {
            log_("no answer to " + phrase.origin + ": " + outcome.error->message);
        }
        return;
    }
    if (!listening_) {
        return;
    }
    for (const std::string& text : replyTexts(phrase, outcome.reply, connection_.nick(),
                                              connection_.ownPrefix(), connection_.encoding())) {
        connection_.send("PRIVMSG", {phrase.target, text});
    }
}

} // namespace besedka::irc
