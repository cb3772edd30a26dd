#pragma once

#include "curation/outline_merge.h"
#include "talk/tree_walk.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace besedka {

// How far a dialogue has come, as the chat's steps see it: the user's line
// before (the previous pane line) and where the tree walk stands, its lines
// being the outline's nodes.
struct ChatPlace {
    std::string previousLine; // as shown; empty in a new dialogue
    BranchPosition branch;
};

// Which step of the chat answers a phrase.
struct Answering {
    enum class Step { Repeat, Insult, LongPhrase, Tree, Nothing };
    Step step = Step::Nothing;
    // Insult: the insult list's entry found. Nothing: the personal-topic
    // entry found, which keeps the phrase from being learned; empty when none.
    std::string entry;
    std::size_t shownLength = 0;
    // Tree: the line that answers. LongPhrase: the line that answers when the
    // gate shuts, if any.
    std::optional<OutlineMerge::Node> line;
    bool inBranch = false; // the line was found by continuing the branch
};

// Follows the chat's own steps for `phrase` (Windows-1251, as typed) at
// `place`, without changing the tree or any file: the repeat, the insult
// list, the long-phrase gate, the tree walk (walkTree, over searches that
// find what the chat's own find, through the outline's index), or nothing.
// Moves `place` on as the exchange would; at the long-phrase gate the likelier
// way, where the long-phrase list answers and the walk stays where it was.
Answering whatAnswers(const OutlineMerge& tree, std::string_view phrase, ChatPlace& place);

} // namespace besedka
