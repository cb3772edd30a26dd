#pragma once

#include "curation/answering_step.h"
#include "curation/tree_search.h"
#include "text/text_lines.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace besedka {

// Which step of the chat would answer a phrase now, told by tree line
// numbers as a text editor counts them (the header is line 1).
struct AnswerExplained {
    Answering answering;
    std::optional<std::size_t> lineNumber; // of answering.line
    std::string line;                      // its text, Windows-1251
    std::string key;                       // its key, Windows-1251
    // With a reply to follow: the line whose answer it is.
    std::optional<std::size_t> afterNumber;
    // Where the reply comes from: the tree, or a reply list; empty when the
    // chat says its last reply again (a personal topic the tree does not
    // answer). For the long-phrase gate, the list it opens to.
    std::string replyFile;
};

// Follows the chat's steps for `phrase` (Windows-1251, as typed) on `tree`,
// as teaching checks its pairs (whatAnswers), changing nothing: in a new
// dialogue, or right after the chat gave `afterReply` from the first tree
// line that holds it among its answers (letter case aside), as when that
// line's key was said. Throws CurationError when no line holds it.
AnswerExplained explainAnswer(const TextLines& tree, std::string_view phrase,
                              const std::optional<std::string>& afterReply);
// The same on indexes of the tree made already and not changed since
// (OutlineMerge(tree), TreeSearch(tree)): one who checks many phrases on one
// tree makes them once.
AnswerExplained explainAnswer(const TextLines& tree, const OutlineMerge& outline,
                              const TreeSearch& search, std::string_view phrase,
                              const std::optional<std::string>& afterReply);

} // namespace besedka
