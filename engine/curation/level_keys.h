#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace besedka {

// The keys of the crowded levels of an outline, found by the text they are (a
// level: the lines at one depth under one parent). For a phrase, the lines
// whose key is a piece of it come out without a look at the other lines of
// the level, where the tree walk's key match against each would be a scan of
// thousands of lines per phrase. A hash only points at candidates: the owner
// compares their text.
class LevelKeys {
  public:
    using Node = std::uint32_t;

    // What the hashes of a level's keys start from.
    static std::uint64_t levelSeed(Node parent, std::size_t depth);

    // Adds `node`, whose key at the level of `seed` is `key` (not empty).
    void add(Node node, std::uint64_t seed, std::string_view key);
    // Makes room, before the first key is added, for `keys` keys of at most
    // `keyBytes` bytes in all: adding them then never grows the table nor
    // clears the filters to add every key again.
    void reserve(std::size_t keys, std::size_t keyBytes);
    // Whether the filters have grown too full to tell much; the owner then
    // calls clear(), which makes more room, and adds every key again.
    bool crowded() const {
        return keys_.entries * 8 > keys_.bits() || beginnings_.entries * 8 > beginnings_.bits();
    }
    void clear();

    // Calls found(node) for each node added at the level with the hash of
    // `key`.
    template <typename Found>
    void withKey(std::uint64_t seed, std::string_view key, Found&& found) const {
        std::uint64_t hash = seed;
        for (const char c : key) {
            hash = step(hash, c);
        }
        withHash(finish(hash), found);
    }

    // Calls found(node) for each node added at the level with the hash of a
    // piece of the phrase, for every piece that could be a key.
    template <typename Found>
    void withPiecesOf(std::uint64_t seed, std::string_view phrase, Found&& found) const {
        if (size_ == 0) {
            return;
        }
        for (std::size_t start = 0; start < phrase.size(); ++start) {
            std::uint64_t hash = seed;
            const std::size_t longest = std::min(phrase.size() - start, longest_);
            for (std::size_t length = 1; length <= longest; ++length) {
                hash = step(hash, phrase[start + length - 1]);
                const std::uint64_t finished = finish(hash);
                if (keys_.has(finished)) {
                    withHash(finished, found);
                }
                if (isCheckpoint(length) && !beginnings_.has(finish(hash ^ kBeginningSalt))) {
                    break;
                }
            }
        }
    }

  private:
    // A one-bit-a-key filter, 16 bits a key when made.
    struct Filter {
        std::vector<std::uint64_t> words = std::vector<std::uint64_t>(64);
        std::size_t entries = 0;
        std::size_t bits() const { return words.size() * 64; }
        bool has(std::uint64_t hash) const {
            const std::uint64_t bit = (hash >> 7) & (bits() - 1);
            return ((words[bit / 64] >> (bit % 64)) & 1u) != 0;
        }
        void add(std::uint64_t hash);
        void makeRoom() { makeRoom(entries); }
        void makeRoom(std::size_t forEntries);
    };

    static constexpr std::uint64_t kBeginningSalt = 0x9E3779B97F4A7C15ull;
    // The beginnings of keys put into their filter, and the lengths at which
    // a piece that is none stops its scan: 2, 4, 8, 12 …
    static bool isCheckpoint(std::size_t length) { return length == 2 || length % 4 == 0; }

    static std::uint64_t step(std::uint64_t hash, char c) {
        return (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    }
    static std::uint64_t finish(std::uint64_t hash);
    void grow();

    template <typename Found> void withHash(std::uint64_t hash, Found&& found) const {
        const std::size_t mask = hashes_.size() - 1;
        for (std::size_t slot = (hash >> 1) & mask; hashes_[slot] != 0; slot = (slot + 1) & mask) {
            if (hashes_[slot] == hash) {
                found(nodes_[slot]);
            }
        }
    }

    std::vector<std::uint64_t> hashes_ = std::vector<std::uint64_t>(16); // 0: a free slot
    std::vector<Node> nodes_ = std::vector<Node>(16);
    std::size_t size_ = 0;
    Filter keys_;
    Filter beginnings_;
    std::size_t longest_ = 0; // no key is longer
};

} // namespace besedka
