#pragma once

#include <cstddef>
#include <string_view>

namespace besedka {

// When the repeat and the long-phrase responders answer, apart from the reply
// each draws: the engine's own rules, shared with whoever must know what the
// chat would answer without running it. The insult responder's rule is the
// list scan of word_lists.h.

// The shown phrase is the previous pane line.
inline bool isRepeat(std::string_view shown, std::string_view previousPaneLine) {
    return shown == previousPaneLine;
}

// A shown phrase of this many characters or more is long.
inline constexpr std::size_t kLongPhrase = 110;

// The long-phrase responder runs only when a draw from 1 to 6 opens its gate:
// on 1, 3, 4 or 5, that is four times in six.
inline constexpr int kGateDraws = 6;
inline constexpr int kGateOpenings = 4;
inline bool gateOpens(int draw) {
    return draw != 2 && draw != 6;
}

} // namespace besedka
