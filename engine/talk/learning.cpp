// Learning: the fallback reply from the question or statement list, and what
// the phrase teaches the reply lists and the knowledge tree.
#include "talk/engine.h"

#include "files/kb_paths.h"
#include "talk/phrase.h"
#include "text/tree_keys.h"
#include "text/tree_line.h"

namespace besedka {

void Engine::learn(const std::string& shownLine) {
    // What is stored never holds a line break, whatever the pane shows.
    const std::string shown = learnedText(shownLine);
    const char* replyList =
        !shown.empty() && shown.back() == '?' ? paths::kQuestions : paths::kStatements;
    const StringList replies = knowledge_.load(replyList);
    state_.replyText =
        replies.line(static_cast<std::size_t>(random_.below(static_cast<int>(replies.count()))));

    // A self-talk text may hold what typing cannot: a phrase with a character
    // of the tree's grammar would make a line that breaks it, so it teaches
    // nothing.
    if (shown.find_first_of("^_;") != std::string::npos) {
        return;
    }
    bool known = false;
    for (std::size_t i = 1; i < replies.count() && !known; ++i) {
        known = replies.line(i) == shown;
    }
    if (!known) {
        if (state_.lastReplyText.empty()) {
            return;
        }
        const char* target = state_.lastReplyText.find('?') != std::string::npos
                                 ? paths::kQuestions
                                 : paths::kStatements;
        StringList list = knowledge_.load(target);
        list.append(shown);
        knowledge_.save(target, list);
        current_.learned = true;
    }
    if (const auto tree = learnNewTreeLine(shown, holdsLineBreak(shownLine))) {
        learnAnswerForLastReply(*tree, shown);
    }
}

// Adds the phrase as a new tree line unless the tree knows it already.
// Returns the tree as loaded again after the save, or nothing when the phrase
// was known.
std::optional<StringList> Engine::learnNewTreeLine(const std::string& shown, bool hadLineBreaks) {
    StringList tree = knowledge_.load(paths::kWords);
    const std::string newKey = cyrillicUpper(shown);
    // A typed phrase is known by a line whose key, depth marks included, is
    // the phrase as typed: only root lines can be. A phrase with line breaks
    // (read from the exchange file) is known by any line whose key, marks set
    // aside, is its new key: self-talk's lines all have marks, so it would
    // otherwise learn the same phrase again, one level deeper, at every step.
    const TreeKeys& keys = tree.treeKeys();
    const auto known = hadLineBreaks
                           ? keys.firstWithKey(tree.textLines(), newKey)
                           : keys.firstWithMarkedKey(tree.textLines(), state_.userPhraseKey);
    if (known) {
        return std::nullopt;
    }
    if (dialogue_.paneCount() <= 2) {
        state_.depthMarks.clear();
    } else {
        state_.depthMarks += '_';
    }
    if (tree.count() == 0) {
        tree.append(""); // line 0 is the header, never searched: the phrase must follow it
    }
    const std::string line = state_.depthMarks + newKey + "^";
    const std::size_t place = newLinePlace(tree, state_.depthMarks.size());
    tree.insert(place, line);
    knowledge_.save(paths::kWords, tree);
    inserted(place, line);
    current_.learned = true;
    return knowledge_.load(paths::kWords);
}

// The chat appends; a dialogue among others puts its line where appending
// would have put it had it learned alone: after the branch of the line its
// last learned line hangs under, found from there back.
std::size_t Engine::newLinePlace(const StringList& tree, std::size_t depth) {
    if (placement_ == Placement::AtEnd || !ownLine_ || *ownLine_ >= tree.count() ||
        tree.line(*ownLine_) != ownLineText_) {
        return tree.count();
    }
    std::size_t parent = *ownLine_;
    while (parent > 0 && TreeLine(tree.line(parent)).depth() >= depth) {
        --parent;
    }
    if (parent == 0) {
        return tree.count();
    }
    const std::size_t parentDepth = TreeLine(tree.line(parent)).depth();
    std::size_t place = parent + 1;
    while (place < tree.count() && TreeLine(tree.line(place)).depth() > parentDepth) {
        ++place;
    }
    return place;
}

void Engine::inserted(std::size_t line, std::string_view text) {
    treeEdits_.push_back({TreeEdit::Kind::Inserted, line});
    ownLine_ = line;
    ownLineText_ = std::string(text);
}

void Engine::followTreeEdit(const TreeEdit& edit) {
    const auto follow = [&edit](std::size_t& line) {
        if (edit.kind == TreeEdit::Kind::Inserted) {
            line += edit.line <= line ? 1 : 0;
        } else if (edit.line < line) {
            --line;
        }
    };
    if (ownLine_) {
        if (edit.kind == TreeEdit::Kind::Removed && edit.line == *ownLine_) {
            ownLine_.reset();
        } else {
            follow(*ownLine_);
        }
    }
    auto branchLine = static_cast<std::size_t>(state_.branchLine);
    follow(branchLine);
    state_.branchLine = static_cast<int>(branchLine);
}

// The phrase becomes an answer of the first line of `tree` whose key is the
// previous reply; that line moves to the end of the tree.
void Engine::learnAnswerForLastReply(const StringList& tree, const std::string& shown) {
    if (state_.lastReplyKey.empty()) {
        return;
    }
    const auto found = tree.treeKeys().firstWithKey(tree.textLines(), state_.lastReplyKey);
    if (!found) {
        return;
    }
    StringList reloaded = knowledge_.load(paths::kWords);
    const std::string text = std::string(reloaded.line(*found)) + shown + ";";
    // The line moves behind the new line: to the end, where the chat put it.
    const std::size_t newLine = ownLine_.value_or(reloaded.count() - 1);
    const std::size_t place = placement_ == Placement::AtEnd
                                  ? reloaded.count() - 1
                                  : newLine - (*found <= newLine ? 1 : 0) + 1;
    reloaded.remove(*found);
    reloaded.insert(place, text);
    knowledge_.save(paths::kWords, reloaded);
    treeEdits_.push_back({TreeEdit::Kind::Removed, *found});
    inserted(place, text);
}

} // namespace besedka
