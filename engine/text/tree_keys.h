#pragma once

#include "text/text_lines.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace besedka {

// The keys of a knowledge tree, ready for the scans of the tree walk and of
// learning: for every line the length and hash of its key with and without
// depth marks, and whether it has answers. A scan compares numbers and reads
// the text of only the few lines whose numbers match.
class TreeKeys {
  public:
    explicit TreeKeys(const TextLines& lines);

    // Keeps up with the same change of the lines.
    void append(std::string_view line);
    void insert(std::size_t i, std::string_view line);
    void erase(std::size_t i);

    // Each looks from line 1 on; `lines` are the lines these keys were made
    // from. The first line with answers whose key with its depth marks occurs
    // in `phrase` (keyOccurs):
    std::optional<std::size_t> firstFoundIn(const TextLines& lines, std::string_view phrase) const;
    // The first line whose key with its depth marks is `key`:
    std::optional<std::size_t> firstWithMarkedKey(const TextLines& lines,
                                                  std::string_view key) const;
    // The first line whose key without its depth marks is `key`:
    std::optional<std::size_t> firstWithKey(const TextLines& lines, std::string_view key) const;

  private:
    struct Key {
        std::uint32_t markedLength; // 0: no "^" after the first character
        std::uint32_t markedHash;
        std::uint32_t keyLength; // without the depth marks
        std::uint32_t keyHash;
        bool answered;
    };
    static Key keyOf(std::string_view line);
    std::optional<std::size_t> firstWith(const TextLines& lines, std::string_view key,
                                         bool withMarks) const;
    std::optional<std::size_t> scanLines(const TextLines& lines, std::string_view phrase) const;

    std::vector<Key> keys_;
    std::size_t longest_ = 0; // no key with marks is longer
};

} // namespace besedka
