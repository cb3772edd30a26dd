#pragma once

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
// that the branch continuation of the tree walk finds it under its parent.
// Lines that break the grammar stay where they are and are found only by
// their whole text.
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

    // Adds "marks key^answers" at the end of the parent's branch; `answers`
    // are closed by ";" each ("" for none).
    Node addLine(Node parent, std::size_t depth, std::string_view key, std::string_view answers);
    // Adds `line` as it is at the end of the parent's branch.
    Node addRawLine(Node parent, std::string_view line);
    // Appends `answer` to the line unless it is among its answers already;
    // whether it was appended.
    bool addAnswer(Node node, std::string_view answer);

    std::size_t depth(Node node) const { return nodes_[node].depth; }
    std::string_view text(Node node) const;
    bool changed() const { return changed_; }

    // The whole tree in file order, the header first.
    TextLines lines() const;

  private:
    static constexpr Node kNone = static_cast<Node>(-1);
    struct Links {
        Node first = kNone;
        Node last = kNone;
    };
    struct NodeData {
        Links children;
        Node next = kNone; // the next line under the same parent
        Node parent = kTop;
        std::uint32_t depth = 0;
        bool edited = false; // its text is in edited_
        bool indexed = false;
    };

    Links& childrenOf(Node parent) { return parent == kTop ? top_ : nodes_[parent].children; }
    const Links& childrenOf(Node parent) const {
        return parent == kTop ? top_ : nodes_[parent].children;
    }
    Node attach(Node parent, std::size_t depth);
    void index(Node node);
    static std::uint64_t placeHash(Node parent, std::size_t depth, std::string_view key);

    TextLines text_; // line i of the file is node i; new lines follow
    std::vector<NodeData> nodes_;
    Links top_;
    std::unordered_map<std::uint64_t, Node> byPlace_; // the first node of each hash
    std::vector<Node> samePlaceHash_;                 // the next node of the same hash
    std::unordered_map<Node, std::string> edited_;    // lines that got answers
    std::string scratch_;
    bool changed_ = false;
};

} // namespace besedka
