#include "irc/room_behaviour.h"

#include "irc/addressing.h"
#include "irc/ctcp.h"
#include "irc/formatting.h"
#include "irc/message.h"
#include "irc/reply_split.h"
#include "irc/server_features.h"

#include <algorithm>

namespace besedka::irc {
namespace {

constexpr std::size_t kLongestPingToken = 64;

std::string trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// A server or service speaking as a server ("irc.example.org", no user and
// host) is no person to talk to.
bool fromServer(std::string_view prefix) {
    return prefix.find('!') == std::string_view::npos && prefix.find('.') != std::string_view::npos;
}

} // namespace

RoomBehaviour::RoomBehaviour(BehaviourSettings settings)
    : settings_(std::move(settings)), directory_(settings_.network), flood_(settings_.flood) {}

bool RoomBehaviour::ignored(std::string_view sender, const RoomView& view) const {
    const CaseMapping mapping = view.features.caseMapping;
    if (sender.empty() || sameName(sender, view.nick, mapping)) {
        return true;
    }
    return std::any_of(settings_.ignore.begin(), settings_.ignore.end(),
                       [&](const std::string& nick) { return sameName(sender, nick, mapping); });
}

Reaction RoomBehaviour::react(const Message& message, const RoomView& view, Instant now) {
    directory_.setCaseMapping(view.features.caseMapping);
    const std::string_view sender = prefixNick(message.prefix);
    const CaseMapping mapping = view.features.caseMapping;
    Reaction reaction;
    if (message.command == "PRIVMSG") {
        return privateOrChannelMessage(message, view, now);
    }
    if (message.command == "NICK" && !sameName(sender, view.nick, mapping)) {
        directory_.rename(sender, message.param(0));
        flood_.rename(foldCase(sender, mapping), foldCase(message.param(0), mapping));
    } else if (message.command == "QUIT") {
        reaction.ended = directory_.forgetNick(sender);
    } else if (message.command == "PART") {
        if (auto id = directory_.forgetMember(message.param(0), sender)) {
            reaction.ended.push_back(std::move(*id));
        }
    } else if (message.command == "KICK") {
        if (auto id = directory_.forgetMember(message.param(0), message.param(1))) {
            reaction.ended.push_back(std::move(*id));
        }
    }
    // A NOTICE is never answered: that is how bots keep from answering
    // each other for ever.
    return reaction;
}

Reaction RoomBehaviour::privateOrChannelMessage(const Message& message, const RoomView& view,
                                                Instant now) {
    const std::string sender(prefixNick(message.prefix));
    const std::string_view target = message.param(0);
    const std::string_view text = message.param(1);
    if (fromServer(message.prefix) || ignored(sender, view) || message.params.size() < 2) {
        return {};
    }
    if (text.starts_with('\x01')) {
        return ctcpRequest(sender, text, view, now);
    }
    const bool inChannel = view.features.isChannel(target);
    std::optional<std::string_view> said = text;
    if (inChannel) {
        said = addressedText(text, view.nick, view.features.caseMapping);
    }
    if (!said) {
        return {};
    }
    std::string phraseText = trimmed(stripFormatting(*said));
    if (phraseText.empty() || !flood_.admit(foldCase(sender, view.features.caseMapping), now)) {
        return {};
    }
    const std::string channel = inChannel ? std::string(target) : std::string();
    Phrase phrase;
    phrase.conversation = directory_.idFor(channel, sender);
    phrase.text = std::move(phraseText);
    phrase.target = inChannel ? channel : sender;
    phrase.lead = inChannel ? sender + ": " : std::string();
    phrase.origin = "irc " + settings_.network + " " + (inChannel ? channel + " " : "") + sender;
    Reaction reaction;
    reaction.phrase = std::move(phrase);
    return reaction;
}

Reaction RoomBehaviour::ctcpRequest(std::string_view sender, std::string_view text,
                                    const RoomView& view, Instant now) {
    const std::optional<CtcpRequest> request = parseCtcp(text);
    if (!request || (request->command != "VERSION" && request->command != "PING")) {
        return {}; // ACTION and the rest are not for a bot to answer
    }
    if (!flood_.admit(foldCase(sender, view.features.caseMapping), now)) {
        return {};
    }
    const std::string argument = request->command == "VERSION"
                                     ? settings_.version
                                     : request->argument.substr(0, kLongestPingToken);
    Reaction reaction;
    reaction.notices.push_back({std::string(sender), ctcpText(request->command, argument)});
    return reaction;
}

void RoomBehaviour::conversationEnded(std::string_view conversation) {
    directory_.forgetId(conversation);
}

std::vector<std::string> replyTexts(const Phrase& phrase, std::string_view reply,
                                    std::string_view nick, std::string_view ownPrefix,
                                    Encoding encoding) {
    const std::string prefix = ownPrefix.empty() ? longestPrefixFor(nick) : std::string(ownPrefix);
    const std::size_t budget = textBudget(prefix, "PRIVMSG", phrase.target, phrase.lead, encoding);
    std::vector<std::string> texts;
    for (const std::string& piece : splitText(reply, budget, encoding)) {
        if (std::string text = trimmed(stripFormatting(piece)); !text.empty()) {
            texts.push_back(phrase.lead + text);
        }
    }
    return texts;
}

} // namespace besedka::irc
