#pragma once

#include "text_lines.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace besedka {

// The keys of a knowledge tree, ready for the keyword lookup: for every line
// the length and a hash of its key with depth marks, or nothing for a line the
// lookup passes over (no "^" after the first character, or no answer). A
// lookup hashes every piece of the phrase once and then compares numbers, so
// it reads no line's text but those of the few lines whose hash matches.
class TreeKeys {
  public:
    explicit TreeKeys(const TextLines& lines);

    // Keeps up with the same change of the lines.
    void append(std::string_view line);
    void erase(std::size_t i);

    // The first line from line 1 on that has answers and whose key with its
    // depth marks occurs in `phrase` (keyOccurs); `lines` are the lines these
    // keys were made from.
    std::optional<std::size_t> firstFoundIn(const TextLines& lines, std::string_view phrase) const;

  private:
    struct Key {
        std::uint32_t length; // 0: the lookup passes over the line
        std::uint32_t hash;
    };
    static Key keyOf(std::string_view line);
    std::optional<std::size_t> scanLines(const TextLines& lines, std::string_view phrase) const;

    std::vector<Key> keys_;
    std::size_t longest_ = 0; // no key is longer
};

} // namespace besedka
