// The knowledge-tree walk: branch continuation and keyword lookup.
#include "talk/engine.h"

#include "files/kb_paths.h"
#include "text/key_match.h"
#include "text/tree_keys.h"
#include "text/tree_line.h"

#include <string>

namespace besedka {

bool Engine::treeWalk() {
    if (state_.branchLevel >= 1) {
        return branchContinuation();
    }
    return keywordLookup(knowledge_.load(paths::kWords));
}

bool Engine::branchContinuation() {
    // The tree does not change during a walk, so one load serves it whole.
    std::optional<StringList> tree;
    for (;;) {
        // The diagnostic lines in the pane are intended; held by
        // TreeWalk.BranchContinuationFollowsTheOutlineWithDiagnostics.
        dialogue_.appendToPane("NomerRazryada = " + std::to_string(state_.branchLevel));
        if (!tree) {
            tree = knowledge_.load(paths::kWords);
        }
        state_.branchText.clear();
        ++state_.branchLine;
        // Running past the last line ends the branch as a root line does, so
        // the tree can answer again.
        if (state_.branchLine >= static_cast<int>(tree->count())) {
            state_.branchLevel = 0;
            return keywordLookup(*tree);
        }
        const std::string_view text = tree->line(static_cast<std::size_t>(state_.branchLine));
        const TreeLine line(text);
        if (line.depth() == 0) {
            state_.branchLevel = 0;
            return keywordLookup(*tree);
        }
        if (static_cast<int>(line.depth()) != state_.branchLevel || line.key().empty() ||
            line.answerCount() == 0) {
            continue;
        }
        state_.branchText = std::string(line.key());
        dialogue_.appendToPane("Vetochka = " + state_.branchText);
        dialogue_.appendToPane("S = " + std::to_string(state_.lineIndex));
        dialogue_.appendToPane("SS = " + std::to_string(state_.branchLine));
        if (keyOccurs(state_.branchText, state_.userPhraseKey)) {
            chooseAnswer(text);
            ++state_.branchLevel;
            return true;
        }
    }
}

// The first line from line 1 on with an answer whose key, depth marks
// included, occurs in the phrase.
bool Engine::keywordLookup(const StringList& tree) {
    const auto found = tree.treeKeys().firstFoundIn(tree.textLines(), state_.userPhraseKey);
    if (!found) {
        return false;
    }
    chooseAnswer(tree.line(*found));
    ++state_.branchLevel;
    state_.branchLine = static_cast<int>(*found);
    return true;
}

void Engine::chooseAnswer(std::string_view text) {
    const TreeLine line(text);
    const int answerNumber = random_.below(static_cast<int>(line.answerCount())) + 1;
    state_.replyText = std::string(line.answer(static_cast<std::size_t>(answerNumber)));
}

} // namespace besedka
