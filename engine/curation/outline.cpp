#include "curation/outline.h"

#include "text/tree_line.h"

namespace besedka {

// One pass with the chain of open lines: a line closes every open line at its
// depth or deeper (their branches end there), and hangs under the one left.
Outline::Outline(const TextLines& lines)
    : depths_(lines.size()), parents_(lines.size(), kNone), branchEnds_(lines.size()) {
    std::vector<std::size_t> open;
    if (!lines.empty()) {
        branchEnds_[0] = 1;
    }
    for (std::size_t i = 1; i < lines.size(); ++i) {
        depths_[i] = TreeLine(lines[i]).depth();
        while (!open.empty() && depths_[open.back()] >= depths_[i]) {
            branchEnds_[open.back()] = i;
            open.pop_back();
        }
        parents_[i] = open.empty() ? kNone : open.back();
        open.push_back(i);
    }
    for (const std::size_t line : open) {
        branchEnds_[line] = lines.size();
    }
}

std::optional<std::size_t> Outline::parent(std::size_t line) const {
    return parents_[line] == kNone ? std::nullopt : std::optional(parents_[line]);
}

} // namespace besedka
