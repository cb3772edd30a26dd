#pragma once

#include "text/text_lines.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace besedka {

// The search of findInTree over one tree, made once so that each search is a
// pass over one buffer: every learned line's key and answers folded as a
// search compares them (searchFolded), back to back. A window that searches
// as the user types keeps one per tree.
class TreeSearch {
  public:
    explicit TreeSearch(const TextLines& lines);

    // What a search found: the learned lines whose key or answers hold the
    // text, by their index in the tree (the header is 0 and never found), in
    // order: the lines findInTree finds.
    struct Found {
        std::string folded; // the text searched, folded
        std::vector<std::size_t> lines;
    };

    // Searches for `text` (Windows-1251). A search that `before` found on
    // this tree, when its text is part of this one, narrows the search to
    // its lines: no other line can hold this text. So typing on reads only
    // what the key before found.
    Found find(std::string_view text, const Found* before = nullptr) const;

  private:
    std::vector<std::size_t> findInAll(std::string_view folded) const;
    std::vector<std::size_t> findAmong(std::string_view folded,
                                       const std::vector<std::size_t>& lines) const;
    std::string_view line(std::size_t i) const {
        return std::string_view(folded_).substr(starts_[i], starts_[i + 1] - starts_[i]);
    }
    std::size_t lineAt(std::size_t offset, std::size_t from) const;

    std::string folded_;
    // Line i is folded_[starts_[i], starts_[i + 1]); the header's is empty.
    std::vector<std::size_t> starts_;
};

} // namespace besedka
