#pragma once

#include "curation/level_keys.h"
#include "text/text_lines.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace besedka {

// The knowledge tree as an outline that grows: lines are found by their key
// at their place (under a parent, at a depth) and new lines and answers are
// added there, the way teaching and merging add them. A new line goes to the
// end of its parent's branch (a new root line to the end of the file), so
// that the branch continuation of the tree walk finds it under its parent;
// placeForWalk() then moves it up to where the walk reaches it first. Lines
// that break the grammar stay where they are and are found only by their
// whole text.
class OutlineMerge {
  public:
    using Node = std::uint32_t;
    // The place of the root lines (and of the lines that hang under no line).
    static constexpr Node kTop = static_cast<Node>(-1);

    explicit OutlineMerge(const TextLines& tree);

    // The first line at `depth` that hangs directly under `parent` and has
    // the key `key`.
    std::optional<Node> find(Node parent, std::size_t depth, std::string_view key) const;
    // The first line under `parent` whose text is `line`.
    std::optional<Node> findLine(Node parent, std::string_view line) const;
    // The first line at `depth` directly under `parent` that the tree walk
    // takes for `phraseKey` there: it has answers and its key occurs in the
    // phrase (keyOccurs, the walk's own match).
    std::optional<Node> firstFoundIn(Node parent, std::size_t depth,
                                     std::string_view phraseKey) const;

    // Adds "marks key^answers" at the end of the parent's branch; `answers`
    // are closed by ";" each ("" for none).
    Node addLine(Node parent, std::size_t depth, std::string_view key, std::string_view answers);
    // Adds `line` as it is at the end of the parent's branch.
    Node addRawLine(Node parent, std::string_view line);
    // Appends `answer` to the line unless it is among its answers already;
    // whether it was appended.
    bool addAnswer(Node node, std::string_view answer);
    // Moves the line, with its branch, right before the first line of its
    // level that the walk takes for `phraseKey` (firstFoundIn), when that line
    // stands before it; whether it moved. So the walk reaches it for the
    // phrase, and a phrase that only the other line's key occurs in is
    // answered as before.
    bool placeForWalk(Node node, std::string_view phraseKey);

    // The shape of the outline, for following it in file order: the line
    // 0 (the header) is in no branch.
    std::size_t depth(Node node) const { return nodes_[node].depth; }
    Node parent(Node node) const { return nodes_[node].parent; }
    std::optional<Node> firstChild(Node parent) const { return some(childrenOf(parent).first); }
    std::optional<Node> nextSibling(Node node) const { return some(nodes_[node].next); }
    // Whether `a` stands before `b`, both under one parent.
    bool before(Node a, Node b) const { return nodes_[a].label < nodes_[b].label; }

    std::string_view text(Node node) const;
    bool changed() const { return changed_; }

    // The whole tree in file order, the header first.
    TextLines lines() const;
    // The index of each node's line in lines().
    std::vector<std::uint32_t> lineIndices() const;

  private:
    static constexpr Node kNone = static_cast<Node>(-1);
    struct Links {
        Node first = kNone;
        Node last = kNone;
        std::uint32_t count = 0;
        bool indexed = false; // its lines' keys are in keys_
    };
    struct NodeData {
        Links children;
        Node next = kNone; // the next and the previous line under the same parent
        Node previous = kNone;
        Node parent = kTop;
        std::uint32_t depth = 0;
        // Orders the lines under one parent: only comparisons count.
        std::uint64_t label = 0;
        bool edited = false; // its text is in edited_
        bool keyed = false;  // its key is in keys_
    };

    static std::optional<Node> some(Node node) {
        return node == kNone ? std::nullopt : std::optional(node);
    }
    Links& childrenOf(Node parent) { return parent == kTop ? top_ : nodes_[parent].children; }
    const Links& childrenOf(Node parent) const {
        return parent == kTop ? top_ : nodes_[parent].children;
    }
    Node attach(Node parent, std::size_t depth);
    void linkAtEnd(Node node);
    void linkBefore(Node node, Node next);
    void unlink(Node node);
    void relabelAround(Node node);
    void keyAdded(Node node);
    void reserveKeys();
    void indexLevel(Node parent);
    void indexKey(Node node);
    template <typename Each> void eachCandidate(Node parent, std::size_t depth, Each&& each) const;
    template <typename Each> void eachInFileOrder(Each&& each) const;

    TextLines text_; // line i of the file is node i; new lines follow
    std::vector<NodeData> nodes_;
    Links top_;
    LevelKeys keys_;                               // of the levels with many lines
    std::unordered_map<Node, std::string> edited_; // lines that got answers
    std::string scratch_;
    bool changed_ = false;
};

} // namespace besedka
