#include "curation/outline_merge.h"

#include "curation/outline.h"
#include "text/key_match.h"
#include "text/tree_line.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace besedka {
namespace {

// A level with this many lines has its keys indexed; a smaller one is read
// line by line.
constexpr std::uint32_t kCrowded = 32;

// Labels of lines added at the end lie this far apart; a line put before
// another takes a label at most kLabelNear past the line before it, so that
// many lines put before the same one seldom run out of room.
constexpr std::uint64_t kLabelStep = std::uint64_t{1} << 32;
constexpr std::uint64_t kLabelNear = std::uint64_t{1} << 16;
constexpr std::uint64_t kLabelMax = std::numeric_limits<std::uint64_t>::max();

} // namespace

// A tree without lines gets an empty header, which no scan reads, so that the
// lines added to it can be found.
OutlineMerge::OutlineMerge(const TextLines& tree)
    : text_(tree.copyWithRoom(0)), nodes_(std::max<std::size_t>(tree.size(), 1)) {
    if (tree.empty()) {
        text_.push_back("");
    }
    const Outline outline(tree);
    for (std::size_t i = 1; i < tree.size(); ++i) {
        const auto parent = outline.parent(i);
        NodeData& node = nodes_[i];
        node.parent = parent ? static_cast<Node>(*parent) : kTop;
        node.depth = static_cast<std::uint32_t>(outline.depth(i));
        linkAtEnd(static_cast<Node>(i));
    }
    reserveKeys();
    if (top_.count >= kCrowded) {
        indexLevel(kTop);
    }
    for (std::size_t i = 1; i < nodes_.size(); ++i) {
        if (nodes_[i].children.count >= kCrowded) {
            indexLevel(static_cast<Node>(i));
        }
    }
}

std::string_view OutlineMerge::text(Node node) const {
    return nodes_[node].edited ? std::string_view(edited_.at(node)) : text_[node];
}

// Reads the lines at `depth` under `parent` in order until each(node) says
// the one sought is found.
template <typename Each>
void OutlineMerge::eachCandidate(Node parent, std::size_t depth, Each&& each) const {
    for (Node node = childrenOf(parent).first; node != kNone; node = nodes_[node].next) {
        if (nodes_[node].depth == depth && each(node)) {
            return;
        }
    }
}

std::optional<OutlineMerge::Node> OutlineMerge::find(Node parent, std::size_t depth,
                                                     std::string_view key) const {
    std::optional<Node> best;
    const auto take = [&](Node node) {
        const NodeData& data = nodes_[node];
        if (data.parent == parent && data.depth == depth && (!best || before(node, *best)) &&
            keyIs(text(node), key) && !treeLineProblem(text(node))) {
            best = node;
        }
        return best.has_value();
    };
    if (childrenOf(parent).indexed) {
        keys_.withKey(LevelKeys::levelSeed(parent, depth), key, take);
    } else {
        eachCandidate(parent, depth, take);
    }
    return best;
}

std::optional<OutlineMerge::Node> OutlineMerge::firstFoundIn(Node parent, std::size_t depth,
                                                             std::string_view phraseKey) const {
    std::optional<Node> best;
    const auto take = [&](Node node) {
        const NodeData& data = nodes_[node];
        if (data.parent != parent || data.depth != depth || (best && !before(node, *best))) {
            return best.has_value();
        }
        const TreeLine line(text(node));
        if (line.answerCount() > 0 && !line.key().empty() && keyOccurs(line.key(), phraseKey)) {
            best = node;
        }
        return best.has_value();
    };
    if (childrenOf(parent).indexed) {
        keys_.withPiecesOf(LevelKeys::levelSeed(parent, depth), phraseKey, take);
    } else {
        eachCandidate(parent, depth, take);
    }
    return best;
}

std::optional<OutlineMerge::Node> OutlineMerge::findLine(Node parent, std::string_view line) const {
    for (Node node = childrenOf(parent).first; node != kNone; node = nodes_[node].next) {
        if (text(node) == line) {
            return node;
        }
    }
    return std::nullopt;
}

void OutlineMerge::linkAtEnd(Node node) {
    Links& siblings = childrenOf(nodes_[node].parent);
    const Node last = siblings.last;
    NodeData& data = nodes_[node];
    data.previous = last;
    data.next = kNone;
    (last == kNone ? siblings.first : nodes_[last].next) = node;
    siblings.last = node;
    ++siblings.count;
    if (last == kNone) {
        data.label = kLabelStep;
    } else if (nodes_[last].label <= kLabelMax - kLabelStep) {
        data.label = nodes_[last].label + kLabelStep;
    } else {
        relabelAround(node);
    }
}

void OutlineMerge::linkBefore(Node node, Node next) {
    Links& siblings = childrenOf(nodes_[node].parent);
    const Node previous = nodes_[next].previous;
    NodeData& data = nodes_[node];
    data.previous = previous;
    data.next = next;
    nodes_[next].previous = node;
    (previous == kNone ? siblings.first : nodes_[previous].next) = node;
    ++siblings.count;
    const std::uint64_t low = previous == kNone ? 0 : nodes_[previous].label;
    const std::uint64_t high = nodes_[next].label;
    if (high - low >= 2) {
        data.label = low + std::min((high - low) / 2, kLabelNear);
    } else {
        relabelAround(node);
    }
}

void OutlineMerge::unlink(Node node) {
    Links& siblings = childrenOf(nodes_[node].parent);
    const NodeData& data = nodes_[node];
    (data.previous == kNone ? siblings.first : nodes_[data.previous].next) = data.next;
    (data.next == kNone ? siblings.last : nodes_[data.next].previous) = data.previous;
    --siblings.count;
}

// Spreads the labels of ever more lines around `node` evenly over the room
// between their neighbours, until there is enough of it: the whole level at
// the most.
void OutlineMerge::relabelAround(Node node) {
    for (std::size_t reach = 8;; reach *= 2) {
        Node first = node;
        Node last = node;
        std::uint64_t count = 1;
        for (std::size_t i = 0; i < reach && nodes_[first].previous != kNone; ++i, ++count) {
            first = nodes_[first].previous;
        }
        for (std::size_t i = 0; i < reach && nodes_[last].next != kNone; ++i, ++count) {
            last = nodes_[last].next;
        }
        const Node before = nodes_[first].previous;
        const Node after = nodes_[last].next;
        const std::uint64_t low = before == kNone ? 0 : nodes_[before].label;
        std::uint64_t high = kLabelMax;
        if (after != kNone) {
            high = nodes_[after].label;
        } else if ((kLabelMax - low) / (count + 1) > kLabelStep) {
            high = low + (count + 1) * kLabelStep;
        }
        const std::uint64_t gap = (high - low) / (count + 1);
        if (gap >= kLabelNear || (before == kNone && after == kNone)) {
            std::uint64_t label = low;
            for (Node line = first;; line = nodes_[line].next) {
                label += gap;
                nodes_[line].label = label;
                if (line == last) {
                    return;
                }
            }
        }
    }
}

// Room for the keys of every crowded level, their lines' lengths counted
// as the keys': each key is then added once.
void OutlineMerge::reserveKeys() {
    std::size_t keys = 0;
    std::size_t bytes = 0;
    for (std::size_t i = 1; i < nodes_.size(); ++i) {
        if (childrenOf(nodes_[i].parent).count >= kCrowded) {
            ++keys;
            bytes += text_[i].size();
        }
    }
    keys_.reserve(keys, bytes);
}

void OutlineMerge::indexLevel(Node parent) {
    Links& siblings = childrenOf(parent);
    siblings.indexed = true;
    for (Node node = siblings.first; node != kNone; node = nodes_[node].next) {
        indexKey(node);
    }
}

// Lines without a key the walk could match are left out, as they are of
// find() too.
void OutlineMerge::indexKey(Node node) {
    const TreeLine line(text(node));
    if (line.key().empty()) {
        return;
    }
    NodeData& data = nodes_[node];
    keys_.add(node, LevelKeys::levelSeed(data.parent, data.depth), line.key());
    data.keyed = true;
    if (keys_.crowded()) {
        keys_.clear();
        for (std::size_t i = 1; i < nodes_.size(); ++i) {
            if (nodes_[i].keyed) {
                keys_.add(static_cast<Node>(i),
                          LevelKeys::levelSeed(nodes_[i].parent, nodes_[i].depth),
                          TreeLine(text(static_cast<Node>(i))).key());
            }
        }
    }
}

OutlineMerge::Node OutlineMerge::attach(Node parent, std::size_t depth) {
    const auto node = static_cast<Node>(nodes_.size());
    NodeData data;
    data.parent = parent;
    data.depth = static_cast<std::uint32_t>(depth);
    nodes_.push_back(data);
    linkAtEnd(node);
    changed_ = true;
    return node;
}

// Called once the new line's text is there.
void OutlineMerge::keyAdded(Node node) {
    Links& siblings = childrenOf(nodes_[node].parent);
    if (siblings.indexed) {
        indexKey(node);
    } else if (siblings.count >= kCrowded) {
        indexLevel(nodes_[node].parent);
    }
}

OutlineMerge::Node OutlineMerge::addLine(Node parent, std::size_t depth, std::string_view key,
                                         std::string_view answers) {
    scratch_.assign(depth, '_');
    scratch_ += key;
    scratch_ += '^';
    scratch_ += answers;
    const Node node = attach(parent, depth);
    text_.push_back(scratch_);
    keyAdded(node);
    return node;
}

OutlineMerge::Node OutlineMerge::addRawLine(Node parent, std::string_view line) {
    const Node node = attach(parent, TreeLine(line).depth());
    text_.push_back(line);
    keyAdded(node);
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

bool OutlineMerge::placeForWalk(Node node, std::string_view phraseKey) {
    const auto first = firstFoundIn(nodes_[node].parent, nodes_[node].depth, phraseKey);
    if (!first || !before(*first, node)) {
        return false;
    }
    unlink(node);
    linkBefore(node, *first);
    changed_ = true;
    return true;
}

// Depth first, each line before its branch, so that every line comes back
// under its parent.
template <typename Each> void OutlineMerge::eachInFileOrder(Each&& each) const {
    std::vector<Node> open;
    Node node = top_.first;
    while (node != kNone || !open.empty()) {
        if (node == kNone) {
            node = nodes_[open.back()].next;
            open.pop_back();
            continue;
        }
        each(node);
        if (nodes_[node].children.first != kNone) {
            open.push_back(node);
            node = nodes_[node].children.first;
        } else {
            node = nodes_[node].next;
        }
    }
}

TextLines OutlineMerge::lines() const {
    TextLines out;
    out.reserve(nodes_.size());
    out.keep(std::make_shared<const TextLines>(text_), 0);
    out.addView(text_[0]);
    eachInFileOrder([&](Node node) {
        if (nodes_[node].edited) {
            out.push_back(edited_.at(node));
        } else {
            out.addView(text_[node]);
        }
    });
    return out;
}

std::vector<std::uint32_t> OutlineMerge::lineIndices() const {
    std::vector<std::uint32_t> indices(nodes_.size(), 0);
    std::uint32_t index = 0;
    eachInFileOrder([&](Node node) { indices[node] = ++index; });
    return indices;
}

} // namespace besedka
