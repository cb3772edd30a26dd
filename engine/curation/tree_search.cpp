#include "curation/tree_search.h"

#include "text/russian.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace besedka {
namespace {

// A line's key and answers: what findInTree reads, without the depth marks.
std::string_view keyAndAnswers(std::string_view line) {
    const std::size_t marks = line.find_first_not_of('_');
    return marks == std::string_view::npos ? std::string_view() : line.substr(marks);
}

// searchFolded for each byte, looked up rather than worked out: the whole
// tree goes through it.
const std::array<char, 256>& foldTable() {
    static const std::array<char, 256> table = [] {
        std::array<char, 256> made{};
        for (std::size_t byte = 0; byte < made.size(); ++byte) {
            made[byte] = searchFolded(static_cast<char>(byte));
        }
        return made;
    }();
    return table;
}

} // namespace

TreeSearch::TreeSearch(const TextLines& lines)
    : starts_(std::max<std::size_t>(lines.size(), 1) + 1) {
    std::size_t bytes = 0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        bytes += keyAndAnswers(lines[i]).size();
    }
    folded_.resize(bytes);
    const auto& fold = foldTable();
    std::size_t end = 0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        starts_[i] = end;
        for (const char c : keyAndAnswers(lines[i])) {
            folded_[end++] = fold[static_cast<unsigned char>(c)];
        }
    }
    starts_.back() = end;
}

// The line that holds the byte at `offset`, from line `from` on: most often
// one of the next few lines, else found by halves.
std::size_t TreeSearch::lineAt(std::size_t offset, std::size_t from) const {
    constexpr std::size_t kNear = 8;
    for (std::size_t step = 0; step < kNear; ++step, ++from) {
        if (starts_[from + 1] > offset) {
            return from;
        }
    }
    const auto after = std::upper_bound(starts_.begin() + static_cast<std::ptrdiff_t>(from),
                                        starts_.end(), offset);
    return static_cast<std::size_t>(after - starts_.begin()) - 1;
}

TreeSearch::Found TreeSearch::find(std::string_view text, const Found* before) const {
    Found found{searchFolded(text), {}};
    found.lines = before != nullptr && found.folded.find(before->folded) != std::string::npos
                      ? findAmong(found.folded, before->lines)
                      : findInAll(found.folded);
    return found;
}

// One pass over the whole text; past a match, on from the next line.
std::vector<std::size_t> TreeSearch::findInAll(std::string_view folded) const {
    const std::size_t lineCount = starts_.size() - 1;
    std::vector<std::size_t> found;
    if (folded.empty()) { // in every line, as the empty text is in any
        for (std::size_t line = 1; line < lineCount; ++line) {
            found.push_back(line);
        }
        return found;
    }
    const char* const data = folded_.data();
    std::size_t line = 1;
    std::size_t from = 0;
    while (line < lineCount) {
        const void* hit =
            ::memmem(data + from, folded_.size() - from, folded.data(), folded.size());
        if (hit == nullptr) {
            break;
        }
        const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
        line = lineAt(at, line);
        if (at + folded.size() <= starts_[line + 1]) {
            found.push_back(line);
            from = starts_[line + 1];
            ++line;
        } else { // across the end of a line: another may start further on
            from = at + 1;
        }
    }
    return found;
}

std::vector<std::size_t> TreeSearch::findAmong(std::string_view folded,
                                               const std::vector<std::size_t>& lines) const {
    std::vector<std::size_t> found;
    for (const std::size_t i : lines) {
        if (i + 1 < starts_.size() && line(i).find(folded) != std::string_view::npos) {
            found.push_back(i);
        }
    }
    return found;
}

} // namespace besedka
