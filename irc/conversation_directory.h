#pragma once

// Which conversation of the hub a phrase belongs to: one for each (network,
// channel, sender) and one for each private (network, sender). An id is a
// readable, sanitized "network.channel.nick" cut to fit, and a short hash of
// the whole key, so that ids stay apart however the names are cut. A nick
// change keeps the sender's conversations under the ids they began with.

#include "irc/case_mapping.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace besedka::irc {

class ConversationDirectory {
  public:
    explicit ConversationDirectory(std::string network) : network_(std::move(network)) {}

    void setCaseMapping(CaseMapping mapping) { mapping_ = mapping; }

    // The conversation of `nick` in `channel` (empty for a private one),
    // begun now when there is none.
    std::string idFor(std::string_view channel, std::string_view nick);
    // Every conversation of `from` goes on as `to`'s.
    void rename(std::string_view from, std::string_view to);
    // The ids of `nick`'s conversations, forgotten (a QUIT).
    std::vector<std::string> forgetNick(std::string_view nick);
    // The id of `nick`'s conversation in `channel`, forgotten (a PART or KICK).
    std::optional<std::string> forgetMember(std::string_view channel, std::string_view nick);
    // Forgets the conversation with this id (it ended).
    void forgetId(std::string_view id);

    std::size_t size() const { return ids_.size(); }

  private:
    using Key = std::pair<std::string, std::string>; // folded channel, folded nick
    Key keyFor(std::string_view channel, std::string_view nick) const;
    bool inUse(std::string_view id) const;

    std::string network_;
    CaseMapping mapping_ = CaseMapping::Rfc1459;
    std::map<Key, std::string> ids_;
};

// The id for a key: "network.channel.nick-hhhhhhhh" (channel "private" for a
// private conversation), at most 64 characters of A-Z a-z 0-9 . _ -;
// `salt` tells apart two keys that would otherwise share one.
std::string conversationId(std::string_view network, std::string_view channel,
                           std::string_view nick, unsigned salt);

} // namespace besedka::irc
