// The knowledge-tree walk: branch continuation and keyword lookup.
#include "talk/tree_walk.h"

#include "files/kb_paths.h"
#include "talk/engine.h"
#include "text/key_match.h"
#include "text/tree_keys.h"
#include "text/tree_line.h"

#include <string>

namespace besedka {

std::optional<std::size_t> walkTree(TreeSearches& tree, std::string_view phraseKey,
                                    BranchPosition& position) {
    if (position.level >= 1) {
        if (const auto found = tree.inBranch(position, phraseKey)) {
            position.line = *found;
            ++position.level;
            return found;
        }
        // Running past the last line ends the branch as a root line does, so
        // the tree can answer again.
        position.level = 0;
    }
    const auto found = tree.byKeyword(phraseKey);
    if (found) {
        position.level = 1;
        position.line = *found;
    }
    return found;
}

// The searches as the chat runs them, straight over the lines of the tree
// file, the continuation writing its diagnostic lines into the pane. The tree
// does not change during a walk, so one load serves it whole; the
// continuation loads it only after its first diagnostic line.
class Engine::FileSearches final : public TreeSearches {
  public:
    explicit FileSearches(Engine& engine) : engine_(engine) {}

    std::optional<std::size_t> inBranch(BranchPosition& position,
                                        std::string_view phraseKey) override {
        for (;;) {
            // The diagnostic lines in the pane are intended; held by
            // TreeWalk.BranchContinuationFollowsTheOutlineWithDiagnostics.
            engine_.diagnose("NomerRazryada = " + std::to_string(position.level));
            const StringList& lines = tree();
            engine_.state_.branchText.clear();
            ++position.line;
            if (position.line >= lines.count()) {
                return std::nullopt;
            }
            const TreeLine line(lines.line(position.line));
            if (line.depth() == 0) {
                return std::nullopt;
            }
            if (static_cast<int>(line.depth()) != position.level || line.key().empty() ||
                line.answerCount() == 0) {
                continue;
            }
            engine_.state_.branchText = std::string(line.key());
            engine_.diagnose("Vetochka = " + engine_.state_.branchText);
            engine_.diagnose("S = " + std::to_string(engine_.state_.lineIndex));
            engine_.diagnose("SS = " + std::to_string(position.line));
            if (keyOccurs(engine_.state_.branchText, phraseKey)) {
                return position.line;
            }
        }
    }

    std::optional<std::size_t> byKeyword(std::string_view phraseKey) override {
        const StringList& lines = tree();
        return lines.treeKeys().firstFoundIn(lines.textLines(), phraseKey);
    }

    const StringList& tree() {
        if (!tree_) {
            tree_ = engine_.knowledge_.load(paths::kWords);
        }
        return *tree_;
    }

  private:
    Engine& engine_;
    std::optional<StringList> tree_;
};

bool Engine::treeWalk() {
    FileSearches searches(*this);
    BranchPosition position{state_.branchLevel, static_cast<std::size_t>(state_.branchLine)};
    const auto found = walkTree(searches, state_.userPhraseKey, position);
    state_.branchLevel = position.level;
    state_.branchLine = static_cast<int>(position.line);
    if (found) {
        chooseAnswer(searches.tree().line(*found));
    }
    return found.has_value();
}

void Engine::chooseAnswer(std::string_view text) {
    const TreeLine line(text);
    const int answerNumber = random_.below(static_cast<int>(line.answerCount())) + 1;
    state_.replyText = std::string(line.answer(static_cast<std::size_t>(answerNumber)));
}

} // namespace besedka
