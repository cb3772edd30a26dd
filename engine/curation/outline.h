#pragma once

#include "text/text_lines.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace besedka {

// The knowledge tree read as an outline. A line's depth is its number of depth
// marks; its parent is the nearest line above it that lies shallower (a line
// that skips levels hangs under the nearest shallower one); its branch is the
// lines after it that lie deeper, up to the first that does not. Line 0, the
// header, is outside the outline: it has no parent and no branch, and no line
// hangs under it.
class Outline {
  public:
    explicit Outline(const TextLines& lines);

    std::size_t size() const { return depths_.size(); }
    std::size_t depth(std::size_t line) const { return depths_[line]; }
    // The line it hangs under; nothing for root lines and the header.
    std::optional<std::size_t> parent(std::size_t line) const;
    // One past the last line of its branch: `line + 1` for a line without one.
    std::size_t branchEnd(std::size_t line) const { return branchEnds_[line]; }

  private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    std::vector<std::size_t> depths_;
    std::vector<std::size_t> parents_;
    std::vector<std::size_t> branchEnds_;
};

} // namespace besedka
