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

// Puts the taught lines before the lines that the walk would take first at
// their level for their phrase (OutlineMerge::placeForWalk), again and again
// while that moves one, as a line placed later may have come before one
// placed earlier; a few rounds at the most.
void placeTaughtLines(OutlineMerge& tree, const std::vector<TaughtPair>& pairs);

// Follows the pairs as a chat meets them, with the chat's own steps
// (whatAnswers): the first pair of a dialogue in a new dialogue, each next
// pair after the answer before. A pair is answered as taught when its own
// line answers it; any other pair is named with the reason.
AnswerCheck checkAnswers(const OutlineMerge& tree, const std::vector<TaughtPair>& pairs);

} // namespace besedka
