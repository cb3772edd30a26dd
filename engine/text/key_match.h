#pragma once

#include <string_view>

namespace besedka {

// Does `key` occur in `phrase`? A mismatch restarts the key at its first
// character with the phrase's next character; the character that broke the
// match is not tried again, so "ДУРА" is not found in "ДДУРА". An empty key
// occurs nowhere. The restart is intended; held by
// TreeWalk.KeyMatchRestartsWithoutRetryingTheBreakingCharacter.
inline bool keyOccurs(std::string_view key, std::string_view phrase) {
    if (key.empty()) {
        return false;
    }
    std::size_t matched = 0;
    for (const char c : phrase) {
        if (c == key[matched]) {
            if (++matched == key.size()) {
                return true;
            }
        } else {
            matched = 0;
        }
    }
    return false;
}

} // namespace besedka
