#include "text/text_lines.h"

#include <algorithm>
#include <cstring>

namespace besedka {

// Bytes written once each: `used` only grows, and nothing before it changes.
struct TextLines::Block {
    explicit Block(std::size_t size)
        : bytes(std::make_unique_for_overwrite<char[]>(size)), capacity(size) {}
    std::unique_ptr<char[]> bytes;
    std::size_t capacity;
    std::size_t used = 0;

    std::string_view add(std::string_view text) {
        char* const start = bytes.get() + used;
        if (!text.empty()) {
            std::memcpy(start, text.data(), text.size());
        }
        used += text.size();
        return {start, text.size()};
    }
};

namespace {
constexpr std::size_t kBlockSize = 64 * 1024;
} // namespace

void TextLines::keep(std::shared_ptr<const void> owner, std::size_t bytes) {
    owners_.push_back(std::move(owner));
    ownedBytes_ += bytes;
}

void TextLines::push_back(std::string_view text) {
    if (!block_ || block_->capacity - block_->used < text.size()) {
        startBlock(text.size());
    }
    lines_.push_back(block_->add(text));
    lineBytes_ += text.size();
}

// Lines that are moved (erased and added again) leave their old bytes behind;
// once those outweigh the lines themselves, every line moves into one new
// block, so a long run of changes keeps memory in proportion to the text.
void TextLines::startBlock(std::size_t atLeast) {
    if (ownedBytes_ > 2 * lineBytes_ + 4 * kBlockSize) {
        auto compacted = std::make_shared<Block>(lineBytes_ + std::max(kBlockSize, atLeast));
        for (std::string_view& line : lines_) {
            line = compacted->add(line);
        }
        owners_.assign(1, compacted);
        ownedBytes_ = compacted->capacity;
        block_ = std::move(compacted);
        return;
    }
    block_ = std::make_shared<Block>(std::max(kBlockSize, atLeast));
    keep(block_, block_->capacity);
}

void TextLines::insert(std::size_t i, std::string_view text) {
    push_back(text);
    if (i < lines_.size() - 1) {
        std::rotate(lines_.begin() + static_cast<std::ptrdiff_t>(i), lines_.end() - 1,
                    lines_.end());
    }
}

void TextLines::erase(std::size_t i) {
    if (i < lines_.size()) {
        lineBytes_ -= lines_[i].size();
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

TextLines TextLines::copyWithRoom(std::size_t more) const {
    TextLines copy;
    copy.lines_.reserve(lines_.size() + more);
    copy.lines_.assign(lines_.begin(), lines_.end());
    copy.owners_ = owners_;
    copy.block_ = block_;
    copy.lineBytes_ = lineBytes_;
    copy.ownedBytes_ = ownedBytes_;
    return copy;
}

std::vector<std::string> TextLines::toStrings() const {
    return {lines_.begin(), lines_.end()};
}

} // namespace besedka
