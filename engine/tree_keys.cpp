#include "tree_keys.h"

#include "key_match.h"
#include "tree_line.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace besedka {
namespace {

constexpr std::uint32_t kHashStart = 2166136261u;

std::uint32_t hashStep(std::uint32_t hash, char c) {
    return (hash ^ static_cast<unsigned char>(c)) * 16777619u;
}

// Which bit of a filter of 2^bits bits stands for `hash`.
std::size_t filterBit(std::uint32_t hash, int bits) {
    return static_cast<std::size_t>((hash * 2654435761u) >> (32 - bits));
}

} // namespace

TreeKeys::TreeKeys(const TextLines& lines) {
    keys_.reserve(lines.size());
    for (const std::string_view line : lines) {
        append(line);
    }
}

TreeKeys::Key TreeKeys::keyOf(std::string_view line) {
    const TreeLine tree(line);
    const std::string_view key = tree.keyWithMarks();
    if (tree.answerCount() == 0 || key.size() >= std::numeric_limits<std::uint32_t>::max()) {
        return {0, 0};
    }
    std::uint32_t hash = kHashStart;
    for (const char c : key) {
        hash = hashStep(hash, c);
    }
    return {static_cast<std::uint32_t>(key.size()), hash};
}

void TreeKeys::append(std::string_view line) {
    keys_.push_back(keyOf(line));
    longest_ = std::max<std::size_t>(longest_, keys_.back().length);
}

void TreeKeys::erase(std::size_t i) {
    if (i < keys_.size()) {
        keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

std::optional<std::size_t> TreeKeys::firstFoundIn(const TextLines& lines,
                                                  std::string_view phrase) const {
    // A key that occurs is one of the phrase's pieces; hashing them all pays
    // while they are fewer than the lines.
    const std::size_t longest = std::min(longest_, phrase.size());
    std::size_t pieces = 0;
    for (std::size_t start = 0; start < phrase.size() && pieces <= keys_.size(); ++start) {
        pieces += std::min(longest, phrase.size() - start);
    }
    if (pieces > keys_.size()) {
        return scanLines(lines, phrase);
    }
    const int bits = std::clamp(static_cast<int>(std::bit_width(pieces * 16)), 10, 30);
    std::vector<std::uint64_t> filter((std::size_t{1} << bits) / 64);
    for (std::size_t start = 0; start < phrase.size(); ++start) {
        std::uint32_t hash = kHashStart;
        const std::size_t end = std::min(phrase.size(), start + longest);
        for (std::size_t i = start; i < end; ++i) {
            hash = hashStep(hash, phrase[i]);
            const std::size_t bit = filterBit(hash, bits);
            filter[bit / 64] |= std::uint64_t{1} << (bit % 64);
        }
    }
    for (std::size_t i = 1; i < keys_.size(); ++i) {
        const Key key = keys_[i];
        if (key.length == 0 || key.length > phrase.size()) {
            continue;
        }
        const std::size_t bit = filterBit(key.hash, bits);
        if ((filter[bit / 64] >> (bit % 64) & 1) != 0 &&
            keyOccurs(lines[i].substr(0, key.length), phrase)) {
            return i;
        }
    }
    return std::nullopt;
}

// For a phrase with more pieces than the tree has lines: the key of every
// line is matched directly.
std::optional<std::size_t> TreeKeys::scanLines(const TextLines& lines,
                                               std::string_view phrase) const {
    for (std::size_t i = 1; i < keys_.size(); ++i) {
        const Key key = keys_[i];
        if (key.length != 0 && key.length <= phrase.size() &&
            keyOccurs(lines[i].substr(0, key.length), phrase)) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace besedka
