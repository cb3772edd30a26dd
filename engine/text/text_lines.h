#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace besedka {

// Lines of text without a heap allocation each: every line is a view into a
// buffer that the list keeps alive. Lines read from a file view into the
// file's bytes or into one decoded text; added lines are copied into blocks of
// the list's own. A byte that a view covers is never changed, so copying a
// list copies only its views, and copies never disturb each other.
class TextLines {
  public:
    TextLines() = default;

    std::size_t size() const { return lines_.size(); }
    bool empty() const { return lines_.empty(); }
    std::string_view operator[](std::size_t i) const { return lines_[i]; }
    auto begin() const { return lines_.begin(); }
    auto end() const { return lines_.end(); }

    // Keeps `owner`, which holds `bytes` bytes, alive for as long as the
    // list: views into it may follow.
    void keep(std::shared_ptr<const void> owner, std::size_t bytes);
    // Adds a line that views into a buffer kept by keep().
    void addView(std::string_view line) {
        lines_.push_back(line);
        lineBytes_ += line.size();
    }
    // Adds a copy of `text` as a line.
    void push_back(std::string_view text);
    // Adds a copy of `text` as line i (at the end when i is past it).
    void insert(std::size_t i, std::string_view text);
    void erase(std::size_t i);
    void reserve(std::size_t lines) { lines_.reserve(lines); }

    std::vector<std::string> toStrings() const;
    // A copy with room for `more` lines, so that adding them moves no view.
    TextLines copyWithRoom(std::size_t more) const;

  private:
    struct Block;
    void startBlock(std::size_t atLeast);

    std::vector<std::string_view> lines_;
    std::vector<std::shared_ptr<const void>> owners_;
    std::shared_ptr<Block> block_; // where push_back copies to
    std::size_t lineBytes_ = 0;    // bytes the lines show
    std::size_t ownedBytes_ = 0;   // bytes the owners hold, erased lines included
};

} // namespace besedka
