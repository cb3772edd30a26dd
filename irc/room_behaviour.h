#pragma once

// How the bot behaves in a room, apart from any socket: which messages it
// answers and in which conversation, what it answers to client-to-client
// requests, and how a reply is laid out in lines. Fed one parsed message at
// a time with the connection's view of itself.

#include "irc/case_mapping.h"
#include "irc/conversation_directory.h"
#include "irc/encoding.h"
#include "irc/flood_guard.h"
#include "irc/instant.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace besedka::irc {

struct Message;
struct ServerFeatures;

struct BehaviourSettings {
    std::string network;             // the server's host name, part of every conversation id
    std::vector<std::string> ignore; // nicks never answered: other bots
    std::string version;             // the answer to CTCP VERSION
    FloodLimits flood;
};

// What the connection knows of the bot at the moment.
struct RoomView {
    std::string_view nick;
    const ServerFeatures& features;
};

// A phrase for the hub, with where its reply goes.
struct Phrase {
    std::string conversation;
    std::string text;   // UTF-8, formatting stripped
    std::string target; // the channel, or the sender for a private message
    std::string lead;   // "sender: " in a channel, nothing in private
    std::string origin; // "irc NETWORK #channel nick"
};

// A message to send as it is: a NOTICE answering a CTCP request.
struct Notice {
    std::string target;
    std::string text;
};

struct Reaction {
    std::optional<Phrase> phrase;
    std::vector<Notice> notices;
    std::vector<std::string> ended; // conversations whose person left
};

class RoomBehaviour {
  public:
    explicit RoomBehaviour(BehaviourSettings settings);

    Reaction react(const Message& message, const RoomView& view, Instant now);
    // The conversation ended (a farewell): the person's next phrase begins
    // a new one.
    void conversationEnded(std::string_view conversation);

    std::size_t openConversations() const { return directory_.size(); }

  private:
    Reaction privateOrChannelMessage(const Message& message, const RoomView& view, Instant now);
    Reaction ctcpRequest(std::string_view sender, std::string_view text, const RoomView& view,
                         Instant now);
    bool ignored(std::string_view sender, const RoomView& view) const;

    BehaviourSettings settings_;
    ConversationDirectory directory_;
    FloodGuard flood_;
};

// The texts of the PRIVMSG lines that carry `reply` to the phrase's target,
// each with the phrase's lead and each fitting a relayed line of at most 512
// bytes, as the server relays it with `ownPrefix` ("nick!user@host"; empty
// when unknown: the longest the server could make it is assumed).
std::vector<std::string> replyTexts(const Phrase& phrase, std::string_view reply,
                                    std::string_view nick, std::string_view ownPrefix,
                                    Encoding encoding);

} // namespace besedka::irc
