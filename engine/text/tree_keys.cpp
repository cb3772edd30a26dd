#include "text/tree_keys.h"

#include "text/key_match.h"
#include "text/tree_line.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace besedka {
namespace {

constexpr std::uint32_t kHashStart = 2166136261u;

std::uint32_t hashStep(std::uint32_t hash, char c) {
    return (hash ^ static_cast<unsigned char>(c)) * 16777619u;
}

std::uint32_t hashOf(std::string_view text) {
    std::uint32_t hash = kHashStart;
    for (const char c : text) {
        hash = hashStep(hash, c);
    }
    return hash;
}

// Lines are added a few at a time: room for some spares moving every key.
constexpr std::size_t kRoom = 64;

// Lengths beyond 32 bits are left to the direct scans.
constexpr std::size_t kLongest = std::numeric_limits<std::uint32_t>::max();

// Which bit of a filter of 2^bits bits stands for `hash`.
std::size_t filterBit(std::uint32_t hash, int bits) {
    return static_cast<std::size_t>((hash * 2654435761u) >> (32 - bits));
}

} // namespace

TreeKeys::TreeKeys(const TextLines& lines) {
    keys_.reserve(lines.size() + kRoom);
    for (const std::string_view line : lines) {
        append(line);
    }
}

TreeKeys::Key TreeKeys::keyOf(std::string_view line) {
    const TreeLine tree(line);
    const std::string_view marked = tree.keyWithMarks();
    const std::string_view key = tree.key();
    if (!tree.hasSeparator() || marked.size() >= kLongest) {
        return {0, 0, 0, 0, false};
    }
    return {static_cast<std::uint32_t>(marked.size()), hashOf(marked),
            static_cast<std::uint32_t>(key.size()), hashOf(key), tree.answerCount() > 0};
}

void TreeKeys::append(std::string_view line) {
    keys_.push_back(keyOf(line));
    longest_ = std::max<std::size_t>(longest_, keys_.back().markedLength);
}

void TreeKeys::insert(std::size_t i, std::string_view line) {
    const Key key = keyOf(line);
    keys_.insert(keys_.begin() + static_cast<std::ptrdiff_t>(std::min(i, keys_.size())), key);
    longest_ = std::max<std::size_t>(longest_, key.markedLength);
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
    // Every false match costs a look at a line's text: up to 256 bits a
    // piece keep them to a few in a thousand lines, while a small tree needs
    // no more than a small filter.
    const std::size_t bitsPerPiece = std::clamp<std::size_t>(keys_.size() / 64, 16, 256);
    const int bits = std::clamp(static_cast<int>(std::bit_width(pieces * bitsPerPiece)), 10, 24);
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
    // Without branches but for the rare hit: a length of 0 wraps to the
    // largest value and so never fits.
    const auto fits = static_cast<std::uint32_t>(
        std::min<std::size_t>(phrase.size(), std::numeric_limits<std::uint32_t>::max()));
    for (std::size_t i = 1; i < keys_.size(); ++i) {
        const Key& key = keys_[i];
        const std::size_t bit = filterBit(key.markedHash, bits);
        const bool maybe =
            key.answered & (key.markedLength - 1u < fits) & ((filter[bit / 64] >> (bit % 64)) & 1u);
        if (maybe && keyOccurs(lines[i].substr(0, key.markedLength), phrase)) {
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
        const Key& key = keys_[i];
        if (key.answered && key.markedLength <= phrase.size() &&
            keyOccurs(lines[i].substr(0, key.markedLength), phrase)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> TreeKeys::firstWithMarkedKey(const TextLines& lines,
                                                        std::string_view key) const {
    return firstWith(lines, key, true);
}

std::optional<std::size_t> TreeKeys::firstWithKey(const TextLines& lines,
                                                  std::string_view key) const {
    return firstWith(lines, key, false);
}

std::optional<std::size_t> TreeKeys::firstWith(const TextLines& lines, std::string_view key,
                                               bool withMarks) const {
    const auto textIs = [withMarks, key](std::string_view line) {
        return withMarks ? keyWithMarksIs(line, key) : keyIs(line, key);
    };
    // An empty key with marks would match the numbers of lines without one.
    if ((withMarks && key.empty()) || key.size() >= kLongest) {
        for (std::size_t i = 1; i < lines.size(); ++i) {
            if (textIs(lines[i])) {
                return i;
            }
        }
        return std::nullopt;
    }
    const auto length = static_cast<std::uint32_t>(key.size());
    const std::uint32_t hash = hashOf(key);
    for (std::size_t i = 1; i < keys_.size(); ++i) {
        const Key& entry = keys_[i];
        const bool numbersMatch =
            withMarks
                ? entry.markedLength == length && entry.markedHash == hash
                : entry.markedLength != 0 && entry.keyLength == length && entry.keyHash == hash;
        if (numbersMatch && textIs(lines[i])) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace besedka
