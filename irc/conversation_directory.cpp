#include "irc/conversation_directory.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace besedka::irc {
namespace {

constexpr std::size_t kIdLength = 64;
constexpr std::size_t kHashLength = 8;

bool allowedInId(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

// Characters an id may not hold become '_', a run of them one '_'; those
// before the first allowed one go ("#room" is "room").
std::string sanitized(std::string_view text, std::size_t limit) {
    const auto first = std::find_if(text.begin(), text.end(), allowedInId);
    std::string result;
    for (const char c : std::string_view(first, text.end())) {
        if (result.size() >= limit) {
            break;
        }
        if (allowedInId(c)) {
            result += c;
        } else if (result.empty() || result.back() != '_') {
            result += '_';
        }
    }
    return result.empty() ? std::string("_") : result;
}

std::uint32_t fnv1a(std::string_view text, std::uint32_t hash = 2166136261U) {
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619U;
    }
    return hash;
}

} // namespace

std::string conversationId(std::string_view network, std::string_view channel,
                           std::string_view nick, unsigned salt) {
    std::uint32_t hash = fnv1a(network);
    hash = fnv1a(std::string_view("\n", 1), hash);
    hash = fnv1a(channel, hash);
    hash = fnv1a(std::string_view("\n", 1), hash);
    hash = fnv1a(nick, hash);
    hash = fnv1a(std::to_string(salt), hash);

    const std::string place = channel.empty() ? std::string("private") : std::string(channel);
    // 64 = readable part + "-" + 8 hex digits; each name keeps a fair share.
    const std::size_t room = kIdLength - kHashLength - 1;
    std::string readable = sanitized(network, 20) + "." + sanitized(place, 16) + ".";
    readable += sanitized(nick, room - readable.size());

    char digits[kHashLength + 1] = {};
    std::snprintf(digits, sizeof digits, "%08x", hash);
    return readable + "-" + digits;
}

ConversationDirectory::Key ConversationDirectory::keyFor(std::string_view channel,
                                                         std::string_view nick) const {
    return {foldCase(channel, mapping_), foldCase(nick, mapping_)};
}

bool ConversationDirectory::inUse(std::string_view id) const {
    return std::any_of(ids_.begin(), ids_.end(),
                       [&](const auto& entry) { return entry.second == id; });
}

std::string ConversationDirectory::idFor(std::string_view channel, std::string_view nick) {
    const Key key = keyFor(channel, nick);
    if (const auto found = ids_.find(key); found != ids_.end()) {
        return found->second;
    }
    // A nick taken by someone else after its owner renamed would hash to
    // the owner's id: a salt keeps the two apart.
    unsigned salt = 0;
    std::string id = conversationId(network_, key.first, key.second, salt);
    while (inUse(id)) {
        id = conversationId(network_, key.first, key.second, ++salt);
    }
    ids_.emplace(key, id);
    return id;
}

void ConversationDirectory::rename(std::string_view from, std::string_view to) {
    const std::string oldNick = foldCase(from, mapping_);
    const std::string newNick = foldCase(to, mapping_);
    if (oldNick == newNick) {
        return;
    }
    std::vector<std::pair<std::string, std::string>> moved; // channel, id
    for (auto entry = ids_.begin(); entry != ids_.end();) {
        if (entry->first.second == oldNick) {
            moved.emplace_back(entry->first.first, entry->second);
            entry = ids_.erase(entry);
        } else {
            ++entry;
        }
    }
    for (auto& [channel, id] : moved) {
        ids_.insert_or_assign(Key{channel, newNick}, std::move(id));
    }
}

std::vector<std::string> ConversationDirectory::forgetNick(std::string_view nick) {
    const std::string folded = foldCase(nick, mapping_);
    std::vector<std::string> forgotten;
    for (auto entry = ids_.begin(); entry != ids_.end();) {
        if (entry->first.second == folded) {
            forgotten.push_back(entry->second);
            entry = ids_.erase(entry);
        } else {
            ++entry;
        }
    }
    return forgotten;
}

std::optional<std::string> ConversationDirectory::forgetMember(std::string_view channel,
                                                               std::string_view nick) {
    const auto found = ids_.find(keyFor(channel, nick));
    if (found == ids_.end()) {
        return std::nullopt;
    }
    std::string id = found->second;
    ids_.erase(found);
    return id;
}

void ConversationDirectory::forgetId(std::string_view id) {
    std::erase_if(ids_, [&](const auto& entry) { return entry.second == id; });
}

} // namespace besedka::irc
