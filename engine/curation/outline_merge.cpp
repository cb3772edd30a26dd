#include "curation/outline_merge.h"

#include "curation/outline.h"
#include "text/tree_line.h"

#include <algorithm>
#include <functional>
#include <memory>

namespace besedka {

// A tree without lines gets an empty header, which no scan reads, so that the
// lines added to it can be found.
OutlineMerge::OutlineMerge(const TextLines& tree)
    : text_(tree.copyWithRoom(0)), nodes_(std::max<std::size_t>(tree.size(), 1)),
      samePlaceHash_(nodes_.size(), kNone) {
    if (tree.empty()) {
        text_.push_back("");
    }
    const Outline outline(tree);
    for (std::size_t i = 1; i < tree.size(); ++i) {
        const auto parent = outline.parent(i);
        NodeData& node = nodes_[i];
        node.parent = parent ? static_cast<Node>(*parent) : kTop;
        node.depth = static_cast<std::uint32_t>(outline.depth(i));
        Links& siblings = childrenOf(node.parent);
        (siblings.first == kNone ? siblings.first : nodes_[siblings.last].next) =
            static_cast<Node>(i);
        siblings.last = static_cast<Node>(i);
        if (!treeLineProblem(tree[i])) {
            index(static_cast<Node>(i));
        }
    }
}

std::uint64_t OutlineMerge::placeHash(Node parent, std::size_t depth, std::string_view key) {
    std::uint64_t hash = std::hash<std::string_view>{}(key);
    hash ^= (static_cast<std::uint64_t>(parent) + 0x9E3779B97F4A7C15ull) * 0xBF58476D1CE4E5B9ull;
    hash ^= (static_cast<std::uint64_t>(depth) + 1) * 0x94D049BB133111EBull;
    return hash;
}

std::string_view OutlineMerge::text(Node node) const {
    return nodes_[node].edited ? std::string_view(edited_.at(node)) : text_[node];
}

// Only the first line of a place is indexed, so that find() gives the first
// in file order.
void OutlineMerge::index(Node node) {
    const NodeData& data = nodes_[node];
    const std::string_view key = TreeLine(text(node)).key();
    const auto [first, inserted] =
        byPlace_.try_emplace(placeHash(data.parent, data.depth, key), node);
    if (!inserted) {
        Node last = first->second;
        for (Node other = last; other != kNone; other = samePlaceHash_[other]) {
            if (nodes_[other].parent == data.parent && nodes_[other].depth == data.depth &&
                TreeLine(text(other)).key() == key) {
                return;
            }
            last = other;
        }
        samePlaceHash_[last] = node;
    }
    nodes_[node].indexed = true;
}

std::optional<OutlineMerge::Node> OutlineMerge::find(Node parent, std::size_t depth,
                                                     std::string_view key) const {
    const auto first = byPlace_.find(placeHash(parent, depth, key));
    if (first == byPlace_.end()) {
        return std::nullopt;
    }
    for (Node node = first->second; node != kNone; node = samePlaceHash_[node]) {
        if (nodes_[node].parent == parent && nodes_[node].depth == depth &&
            TreeLine(text(node)).key() == key) {
            return node;
        }
    }
    return std::nullopt;
}

std::optional<OutlineMerge::Node> OutlineMerge::findLine(Node parent, std::string_view line) const {
    for (Node node = childrenOf(parent).first; node != kNone; node = nodes_[node].next) {
        if (text(node) == line) {
            return node;
        }
    }
    return std::nullopt;
}

OutlineMerge::Node OutlineMerge::attach(Node parent, std::size_t depth) {
    const auto node = static_cast<Node>(nodes_.size());
    NodeData data;
    data.parent = parent;
    data.depth = static_cast<std::uint32_t>(depth);
    nodes_.push_back(data);
    samePlaceHash_.push_back(kNone);
    Links& siblings = childrenOf(parent);
    (siblings.first == kNone ? siblings.first : nodes_[siblings.last].next) = node;
    siblings.last = node;
    changed_ = true;
    return node;
}

OutlineMerge::Node OutlineMerge::addLine(Node parent, std::size_t depth, std::string_view key,
                                         std::string_view answers) {
    scratch_.assign(depth, '_');
    scratch_ += key;
    scratch_ += '^';
    scratch_ += answers;
    const Node node = attach(parent, depth);
    text_.push_back(scratch_);
    index(node);
    return node;
}

OutlineMerge::Node OutlineMerge::addRawLine(Node parent, std::string_view line) {
    const Node node = attach(parent, TreeLine(line).depth());
    text_.push_back(line);
    if (!treeLineProblem(line)) {
        index(node);
    }
    return node;
}

bool OutlineMerge::addAnswer(Node node, std::string_view answer) {
    const std::string_view line = text(node);
    const TreeLine tree(line);
    for (std::size_t i = 1; i <= tree.answerCount(); ++i) {
        if (tree.answer(i) == answer) {
            return false;
        }
    }
    if (!nodes_[node].edited) {
        edited_.emplace(node, std::string(line));
        nodes_[node].edited = true;
    }
    std::string& edited = edited_.at(node);
    edited += answer;
    edited += ';';
    changed_ = true;
    return true;
}

// Depth first, each line before its branch, so that every line comes back
// under its parent.
TextLines OutlineMerge::lines() const {
    TextLines out;
    out.reserve(nodes_.size());
    out.keep(std::make_shared<const TextLines>(text_), 0);
    out.addView(text_[0]);
    std::vector<Node> open;
    Node node = top_.first;
    while (node != kNone || !open.empty()) {
        if (node == kNone) {
            node = nodes_[open.back()].next;
            open.pop_back();
            continue;
        }
        if (nodes_[node].edited) {
            out.push_back(edited_.at(node));
        } else {
            out.addView(text_[node]);
        }
        if (nodes_[node].children.first != kNone) {
            open.push_back(node);
            node = nodes_[node].children.first;
        } else {
            node = nodes_[node].next;
        }
    }
    return out;
}

} // namespace besedka
