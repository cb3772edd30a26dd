#include "text/tree_line.h"

#include <algorithm>

namespace besedka {

TreeLine::TreeLine(std::string_view line) : line_(line) {
    depth_ = std::min(line.find_first_not_of('_'), line.size());
    separator_ = line.find('^', std::max<std::size_t>(depth_, 1));
    if (hasSeparator()) {
        answerCount_ = static_cast<std::size_t>(
            std::count(line.begin() + static_cast<std::ptrdiff_t>(separator_), line.end(), ';'));
    }
}

std::string_view TreeLine::keyWithMarks() const {
    return hasSeparator() ? line_.substr(0, separator_) : std::string_view();
}

std::string_view TreeLine::key() const {
    return hasSeparator() ? line_.substr(depth_, separator_ - depth_) : std::string_view();
}

std::string_view TreeLine::answer(std::size_t number) const {
    if (number < 1 || number > answerCount_) {
        return {};
    }
    std::size_t start = separator_ + 1;
    for (std::size_t k = 1; k < number; ++k) {
        start = line_.find(';', start) + 1;
    }
    return line_.substr(start, line_.find(';', start) - start);
}

// A line whose "^" follows `end` characters of key (marks included) has the
// same depth and key as its first end + 1 characters.
bool keyWithMarksIs(std::string_view line, std::string_view key) {
    if (line.size() <= key.size() || line[key.size()] != '^' || !line.starts_with(key)) {
        return false;
    }
    const TreeLine head(line.substr(0, key.size() + 1));
    return head.hasSeparator() && head.keyWithMarks().size() == key.size();
}

bool keyIs(std::string_view line, std::string_view key) {
    const std::size_t depth = std::min(line.find_first_not_of('_'), line.size());
    const std::size_t end = depth + key.size();
    if (line.size() <= end || line[end] != '^' || line.substr(depth, key.size()) != key) {
        return false;
    }
    const TreeLine head(line.substr(0, end + 1));
    return head.hasSeparator() && head.key() == key;
}

std::optional<std::string> treeLineProblem(std::string_view line) {
    if (line.empty()) {
        return "empty line";
    }
    const TreeLine tree(line);
    if (!tree.hasSeparator()) {
        return "no \"^\" after the key";
    }
    if (tree.key().empty()) {
        return "empty key";
    }
    if (tree.key().find(';') != std::string_view::npos) {
        return "\";\" in the key";
    }
    const std::string_view answers = line.substr(line.find('^', tree.keyWithMarks().size()) + 1);
    if (answers.find('^') != std::string_view::npos) {
        return "\"^\" among the answers";
    }
    if (!answers.empty() && answers.back() != ';') {
        return "answer without its closing \";\"";
    }
    if (answers.find(";;") != std::string_view::npos || (!answers.empty() && answers[0] == ';')) {
        return "empty answer";
    }
    return std::nullopt;
}

} // namespace besedka
