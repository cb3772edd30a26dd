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

std::optional<TreeLineFault> treeLineFault(std::string_view line) {
    if (line.empty()) {
        return TreeLineFault::EmptyLine;
    }
    const TreeLine tree(line);
    if (!tree.hasSeparator()) {
        return TreeLineFault::NoSeparator;
    }
    if (tree.key().empty()) {
        return TreeLineFault::EmptyKey;
    }
    if (tree.key().find(';') != std::string_view::npos) {
        return TreeLineFault::SemicolonInKey;
    }
    const std::string_view answers = line.substr(line.find('^', tree.keyWithMarks().size()) + 1);
    if (answers.find('^') != std::string_view::npos) {
        return TreeLineFault::CaretAmongAnswers;
    }
    if (!answers.empty() && answers.back() != ';') {
        return TreeLineFault::UnclosedAnswer;
    }
    if (answers.find(";;") != std::string_view::npos || (!answers.empty() && answers[0] == ';')) {
        return TreeLineFault::EmptyAnswer;
    }
    return std::nullopt;
}

std::optional<std::string> treeLineProblem(std::string_view line) {
    const auto fault = treeLineFault(line);
    if (!fault) {
        return std::nullopt;
    }
    switch (*fault) {
    case TreeLineFault::EmptyLine:
        return "empty line";
    case TreeLineFault::NoSeparator:
        return "no \"^\" after the key";
    case TreeLineFault::EmptyKey:
        return "empty key";
    case TreeLineFault::SemicolonInKey:
        return "\";\" in the key";
    case TreeLineFault::CaretAmongAnswers:
        return "\"^\" among the answers";
    case TreeLineFault::UnclosedAnswer:
        return "answer without its closing \";\"";
    case TreeLineFault::EmptyAnswer:
        return "empty answer";
    }
    return std::nullopt;
}

} // namespace besedka
