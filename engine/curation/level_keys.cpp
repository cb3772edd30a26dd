#include "curation/level_keys.h"

#include <bit>

namespace besedka {
namespace {

std::uint64_t mix(std::uint64_t x) {
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

} // namespace

std::uint64_t LevelKeys::levelSeed(Node parent, std::size_t depth) {
    return mix((static_cast<std::uint64_t>(parent) << 32) ^ depth ^ 0xCBF29CE484222325ull);
}

// Never 0, which marks a free slot.
std::uint64_t LevelKeys::finish(std::uint64_t hash) {
    return mix(hash) | 1u;
}

void LevelKeys::Filter::add(std::uint64_t hash) {
    const std::uint64_t bit = (hash >> 7) & (bits() - 1);
    words[bit / 64] |= std::uint64_t{1} << (bit % 64);
    ++entries;
}

void LevelKeys::Filter::makeRoom(std::size_t forEntries) {
    words.assign(std::bit_ceil(std::max<std::size_t>(4096, forEntries * 16)) / 64, 0);
    entries = 0;
}

// A key of n bytes has a beginning at 2, 4, 8, 12 … bytes short of n: at
// most 1 + n / 4.
void LevelKeys::reserve(std::size_t keys, std::size_t keyBytes) {
    if (size_ > 0) {
        return;
    }
    keys_.makeRoom(keys);
    beginnings_.makeRoom(keys + keyBytes / 4);
    const std::size_t slots = std::bit_ceil(std::max(hashes_.size(), (keys + 1) * 2));
    hashes_.assign(slots, 0);
    nodes_.assign(slots, 0);
}

void LevelKeys::add(Node node, std::uint64_t seed, std::string_view key) {
    if ((size_ + 1) * 2 > hashes_.size()) {
        grow();
    }
    std::uint64_t hash = seed;
    for (std::size_t length = 1; length <= key.size(); ++length) {
        hash = step(hash, key[length - 1]);
        if (isCheckpoint(length) && length < key.size()) {
            beginnings_.add(finish(hash ^ kBeginningSalt));
        }
    }
    const std::uint64_t finished = finish(hash);
    keys_.add(finished);
    const std::size_t mask = hashes_.size() - 1;
    std::size_t slot = (finished >> 1) & mask;
    while (hashes_[slot] != 0) {
        slot = (slot + 1) & mask;
    }
    hashes_[slot] = finished;
    nodes_[slot] = node;
    ++size_;
    longest_ = std::max(longest_, key.size());
}

void LevelKeys::grow() {
    std::vector<std::uint64_t> hashes(hashes_.size() * 2);
    std::vector<Node> nodes(hashes.size());
    const std::size_t mask = hashes.size() - 1;
    for (std::size_t i = 0; i < hashes_.size(); ++i) {
        if (hashes_[i] != 0) {
            std::size_t slot = (hashes_[i] >> 1) & mask;
            while (hashes[slot] != 0) {
                slot = (slot + 1) & mask;
            }
            hashes[slot] = hashes_[i];
            nodes[slot] = nodes_[i];
        }
    }
    hashes_ = std::move(hashes);
    nodes_ = std::move(nodes);
}

void LevelKeys::clear() {
    keys_.makeRoom();
    beginnings_.makeRoom();
    std::fill(hashes_.begin(), hashes_.end(), 0);
    size_ = 0;
    longest_ = 0;
}

} // namespace besedka
