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
    if (state_.branchLevel >= 1) {
        return branchContinuation(tree);
    }
    tree.load(files_, paths::kWords);
    return keywordLookup(tree);
}

bool Engine::branchContinuation(StringList& tree) {
    bool loaded = false;
    for (;;) {
        // The diagnostic lines in the pane are intended; held by
        // TreeWalk.BranchContinuationFollowsTheOutlineWithDiagnostics.
        dialogue_.appendToPane("NomerRazryada = " + std::to_string(state_.branchLevel));
        if (!loaded) {
            tree.load(files_, paths::kWords);
            loaded = true;
        }
        state_.charPos = 0;
        state_.branchDepth = 0;
        state_.branchText.clear();
        ++state_.branchLine;
        // Running past the last line ends the branch as a root line does, so
        // the tree can answer again.
        if (state_.branchLine >= static_cast<int>(tree.count())) {
            state_.branchLevel = 0;
            return keywordLookup(tree);
        }
        const TreeLine line(tree.line(static_cast<std::size_t>(state_.branchLine)));
        if (line.depth() == 0) {
            state_.branchLevel = 0;
            return keywordLookup(tree);
        }
        if (static_cast<int>(line.depth()) != state_.branchLevel || line.key().empty() ||
            line.answerCount() == 0) {
            continue;
        }
        state_.branchDepth = static_cast<int>(line.depth());
        state_.branchText = std::string(line.key());
        dialogue_.appendToPane("Vetochka = " + state_.branchText);
        dialogue_.appendToPane("S = " + std::to_string(state_.lineIndex));
        dialogue_.appendToPane("SS = " + std::to_string(state_.branchLine));
        if (keyOccurs(state_.branchText, state_.userPhraseKey)) {
            chooseAnswer(tree.line(static_cast<std::size_t>(state_.branchLine)));
            ++state_.branchLevel;
            return true;
        }
    }
}

bool Engine::keywordLookup(StringList& tree) {
    for (state_.lineIndex = 1; state_.lineIndex < static_cast<int>(tree.count());
         ++state_.lineIndex) {
        const std::string& text = tree.line(static_cast<std::size_t>(state_.lineIndex));
        const TreeLine line(text);
        if (line.answerCount() == 0) {
            continue; // no key, or no answer yet
        }
        if (keyOccurs(line.keyWithMarks(), state_.userPhraseKey)) {
            chooseAnswer(text);
            ++state_.branchLevel;
            state_.branchLine = state_.lineIndex;
            return true;
        }
    }
    return false;
}

void Engine::chooseAnswer(std::string_view text) {
    const TreeLine line(text);
    state_.answerNumber = random_.below(static_cast<int>(line.answerCount())) + 1;
    state_.replyText = std::string(line.answer(static_cast<std::size_t>(state_.answerNumber)));
}

} // namespace besedka
