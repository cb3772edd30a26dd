// Learning: the fallback reply from the question or statement list, and what
// the phrase teaches the reply lists and the knowledge tree.
#include "engine.h"

#include "kb_paths.h"
#include "phrase.h"
#include "tree_line.h"

namespace besedka {

void Engine::learn(const std::string& shownLine) {
    // What is stored never holds a line break, whatever the pane shows.
    const std::string shown = learnedText(shownLine);
    const char* replyList =
        !shown.empty() && shown.back() == '?' ? paths::kQuestions : paths::kStatements;
    scratch3_.load(files_, replyList);
    state_.replyText = scratch3_.line(
        static_cast<std::size_t>(random_.below(static_cast<int>(scratch3_.count()))));

    bool known = false;
    for (state_.lineIndex = 1; state_.lineIndex < static_cast<int>(scratch3_.count());
         ++state_.lineIndex) {
        if (scratch3_.line(static_cast<std::size_t>(state_.lineIndex)) == shown) {
            known = true;
            break;
        }
    }
    if (!known) {
        if (state_.lastReplyText.empty()) {
            return;
        }
        const char* target = state_.lastReplyText.find('?') != std::string::npos
                                 ? paths::kQuestions
                                 : paths::kStatements;
        scratch3_.load(files_, target);
        scratch3_.append(shown);
        scratch3_.save(files_, target);
    }
    if (learnNewTreeLine(shown)) {
        learnAnswerForLastReply(shown);
    }
}

// Adds the phrase as a new tree line unless a root line has its key already.
// Returns false when the phrase was known.
bool Engine::learnNewTreeLine(const std::string& shown) {
    StringList& tree = scratch2_;
    tree.load(files_, paths::kWords);
    const std::string newKey = cyrillicUpper(shown);
    for (state_.lineIndex = 1; state_.lineIndex < static_cast<int>(tree.count());
         ++state_.lineIndex) {
        const TreeLine line(tree.line(static_cast<std::size_t>(state_.lineIndex)));
        if (line.hasSeparator() && line.keyWithMarks() == state_.userPhraseKey) {
            return false;
        }
    }
    if (dialogue_.paneCount() <= 2) {
        state_.depthMarks.clear();
    } else {
        state_.depthMarks += '_';
    }
    tree.append(state_.depthMarks + newKey + "^");
    tree.save(files_, paths::kWords);
    tree.load(files_, paths::kWords);
    return true;
}

// The phrase becomes an answer of the first line whose key is the previous
// reply; that line moves to the end of the tree.
void Engine::learnAnswerForLastReply(const std::string& shown) {
    if (state_.lastReplyKey.empty()) {
        return;
    }
    StringList& tree = scratch2_;
    for (state_.lineIndex = 1; state_.lineIndex < static_cast<int>(tree.count());
         ++state_.lineIndex) {
        const TreeLine line(tree.line(static_cast<std::size_t>(state_.lineIndex)));
        if (line.hasSeparator() && line.key() == state_.lastReplyKey) {
            tree.load(files_, paths::kWords);
            const std::string text = tree.line(static_cast<std::size_t>(state_.lineIndex));
            tree.remove(static_cast<std::size_t>(state_.lineIndex));
            tree.append(text + shown + ";");
            tree.save(files_, paths::kWords);
            return;
        }
    }
}

} // namespace besedka
