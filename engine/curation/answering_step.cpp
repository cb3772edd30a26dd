#include "curation/answering_step.h"

#include "talk/phrase.h"
#include "talk/responder_rules.h"
#include "talk/word_lists.h"
#include "text/key_match.h"
#include "text/tree_line.h"

#include <utility>

namespace besedka {
namespace {

using Node = OutlineMerge::Node;

// The walk's searches over an outline: the lines of a level come from its
// index, and the lines in between that the chat passes over are skipped by
// whole branches, so that a search costs what the lines it may take cost.
class OutlineSearches final : public TreeSearches {
  public:
    explicit OutlineSearches(const OutlineMerge& tree) : tree_(tree) {}

    std::optional<std::size_t> inBranch(BranchPosition& position,
                                        std::string_view phraseKey) override {
        const auto level = static_cast<std::size_t>(position.level);
        Node node = static_cast<Node>(position.line);
        foundInBranch_ = true;
        if (const auto found = inBranchOf(node, level, phraseKey)) {
            return found;
        }
        // The lines after the branch, up to the next root line.
        for (;;) {
            auto next = tree_.nextSibling(node);
            while (!next) {
                node = tree_.parent(node);
                if (node == OutlineMerge::kTop) {
                    return std::nullopt;
                }
                next = tree_.nextSibling(node);
            }
            node = *next;
            if (tree_.depth(node) == 0) {
                return std::nullopt;
            }
            if (tree_.depth(node) == level && takes(node, phraseKey)) {
                return node;
            }
            if (const auto found = inBranchOf(node, level, phraseKey)) {
                return found;
            }
        }
    }

    std::optional<std::size_t> byKeyword(std::string_view phraseKey) override {
        foundInBranch_ = false;
        // Only a phrase with "_" can hold a key with depth marks: one that no
        // chat can type is looked up line by line.
        if (phraseKey.find('_') == std::string_view::npos) {
            return tree_.firstFoundIn(OutlineMerge::kTop, 0, phraseKey);
        }
        for (auto node = tree_.firstChild(OutlineMerge::kTop); node; node = following(*node)) {
            const TreeLine line(tree_.text(*node));
            if (line.hasSeparator() && line.answerCount() > 0 &&
                keyOccurs(line.keyWithMarks(), phraseKey)) {
                return node;
            }
        }
        return std::nullopt;
    }

    bool foundInBranch() const { return foundInBranch_; }

  private:
    bool takes(Node node, std::string_view phraseKey) const {
        const TreeLine line(tree_.text(node));
        return line.answerCount() > 0 && !line.key().empty() && keyOccurs(line.key(), phraseKey);
    }

    // The first line of the node's branch at `level` that the walk takes.
    std::optional<std::size_t> inBranchOf(Node node, std::size_t level,
                                          std::string_view phraseKey) const {
        if (tree_.depth(node) >= level) {
            return std::nullopt;
        }
        if (tree_.depth(node) + 1 == level) {
            return tree_.firstFoundIn(node, level, phraseKey);
        }
        for (auto child = tree_.firstChild(node); child; child = tree_.nextSibling(*child)) {
            if (tree_.depth(*child) == level) {
                if (takes(*child, phraseKey)) {
                    return child;
                }
            } else if (const auto found = inBranchOf(*child, level, phraseKey)) {
                return found;
            }
        }
        return std::nullopt;
    }

    // The line after `node` in file order.
    std::optional<Node> following(Node node) const {
        if (const auto child = tree_.firstChild(node)) {
            return child;
        }
        for (;;) {
            if (const auto next = tree_.nextSibling(node)) {
                return next;
            }
            node = tree_.parent(node);
            if (node == OutlineMerge::kTop) {
                return std::nullopt;
            }
        }
    }

    const OutlineMerge& tree_;
    bool foundInBranch_ = false;
};

} // namespace

Answering whatAnswers(const OutlineMerge& tree, std::string_view phrase, ChatPlace& place) {
    Answering answering;
    if (phrase.empty()) {
        return answering; // the chat makes no exchange of it
    }
    const std::string shown = shownPhrase(phrase);
    const std::string key = phraseKey(phrase);
    answering.shownLength = shown.size();
    const std::string previous = std::exchange(place.previousLine, shown);
    if (isRepeat(shown, previous)) {
        answering.step = Answering::Step::Repeat;
        return answering;
    }
    const auto& insults = insultList();
    if (const std::size_t entry = firstEntryIn(insults, key); entry < insults.size()) {
        answering.step = Answering::Step::Insult;
        answering.entry = insults[entry];
        return answering;
    }
    OutlineSearches searches(tree);
    if (shown.size() >= kLongPhrase) {
        BranchPosition shut = place.branch;
        answering.step = Answering::Step::LongPhrase;
        if (const auto found = walkTree(searches, key, shut)) {
            answering.line = static_cast<Node>(*found);
            answering.inBranch = searches.foundInBranch();
        }
        return answering;
    }
    if (const auto found = walkTree(searches, key, place.branch)) {
        answering.line = static_cast<Node>(*found);
        answering.step = Answering::Step::Tree;
        answering.inBranch = searches.foundInBranch();
    } else if (const std::size_t topic = firstEntryIn(personalTopicList(), key);
               topic < personalTopicList().size()) {
        // The personal-topic flag matters only when the tree has no answer.
        answering.entry = personalTopicList()[topic];
    }
    return answering;
}

} // namespace besedka
