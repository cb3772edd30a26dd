// The knowledge-tree walk: branch continuation and keyword lookup.
#include "engine.h"

#include "kb_paths.h"
#include "key_match.h"
#include "tree_line.h"

#include <string>

namespace besedka {

bool Engine::treeWalk() {
    // The tree does not change during a walk, so one load serves it whole.
    StringList& tree = scratch2_;
    if (state_.BranchLevel >= 1) {
        return branchContinuation(tree);
    }
    tree.load(files_, paths::kWords);
    return keywordLookup(tree);
}

bool Engine::branchContinuation(StringList& tree) {
    bool loaded = false;
    for (;;) {
        dialogue_.appendToPane("NomerRazryada = " + std::to_string(state_.BranchLevel));
        if (!loaded) {
            tree.load(files_, paths::kWords);
            loaded = true;
        }
        state_.CharPos = 0;
        state_.BranchDepth = 0;
        state_.BranchText.clear();
        ++state_.BranchLine;
        // Running past the last line ends the branch as a root line does, so
        // the tree can answer again.
        if (state_.BranchLine >= static_cast<int>(tree.count())) {
            state_.BranchLevel = 0;
            return keywordLookup(tree);
        }
        const TreeLine line(tree.line(static_cast<std::size_t>(state_.BranchLine)));
        if (line.depth() == 0) {
            state_.BranchLevel = 0;
            return keywordLookup(tree);
        }
        if (static_cast<int>(line.depth()) != state_.BranchLevel || line.key().empty() ||
            line.answerCount() == 0) {
            continue;
        }
        state_.BranchDepth = static_cast<int>(line.depth());
        state_.BranchText = std::string(line.key());
        dialogue_.appendToPane("Vetochka = " + state_.BranchText);
        dialogue_.appendToPane("S = " + std::to_string(state_.LineIndex));
        dialogue_.appendToPane("SS = " + std::to_string(state_.BranchLine));
        if (keyOccurs(state_.BranchText, state_.UserPhraseKey)) {
            chooseAnswer(tree.line(static_cast<std::size_t>(state_.BranchLine)));
            ++state_.BranchLevel;
            return true;
        }
    }
}

bool Engine::keywordLookup(StringList& tree) {
    for (state_.LineIndex = 1; state_.LineIndex < static_cast<int>(tree.count());
         ++state_.LineIndex) {
        const std::string& text = tree.line(static_cast<std::size_t>(state_.LineIndex));
        const TreeLine line(text);
        if (line.answerCount() == 0) {
            continue; // no key, or no answer yet
        }
        if (keyOccurs(line.keyWithMarks(), state_.UserPhraseKey)) {
            chooseAnswer(text);
            ++state_.BranchLevel;
            state_.BranchLine = state_.LineIndex;
            return true;
        }
    }
    return false;
}

void Engine::chooseAnswer(std::string_view text) {
    const TreeLine line(text);
    state_.AnswerNumber = random_.below(static_cast<int>(line.answerCount())) + 1;
    state_.ReplyText = std::string(line.answer(static_cast<std::size_t>(state_.AnswerNumber)));
}

} // namespace besedka
