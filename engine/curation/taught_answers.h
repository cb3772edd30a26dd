#pragma once

#include "curation/dialogue_text.h"
#include "curation/outline_merge.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace besedka {

// A pair as teaching left it: the utterance said and the tree line that is to
// answer it with the utterance after it.
struct TaughtPair {
    const Utterance* said = nullptr;
    OutlineMerge::Node line = 0;
    bool opensDialogue = false; // the first pair of its dialogue
};

// A taught pair that the chat will not answer as taught.
struct UnansweredPair {
    std::size_t line = 0; // of the text, where the utterance said stands
    std::string reason;   // UTF-8
};

struct AnswerCheck {
    std::size_t answered = 0;
    std::vector<UnansweredPair> unanswered;
};

// The phrase a person says for an utterance: its text, with its line breaks
// (a dialogue log's utterance can hold some) made as learning makes them.
std::string saidPhrase(std::string_view utterance);

// Follows the pairs as a chat meets them, with the chat's own steps
// (whatAnswers): the first pair of a dialogue in a new dialogue, each next
// pair after the answer before. A pair is answered as taught when its own
// line answers it; the others are named with the reason. The line of a pair
// not answered as taught is put before the line of its level that the walk
// would take first for its phrase, if one stands before it
// (OutlineMerge::placeForWalk): a line placed later can have come before one
// placed earlier. Then the pairs are followed again, a few rounds at the
// most, so that teaching the text again moves nothing.
AnswerCheck checkAnswers(OutlineMerge& tree, const std::vector<TaughtPair>& pairs);

} // namespace besedka
