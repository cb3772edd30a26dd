// Takes any bytes as one line of the knowledge tree and checks that TreeLine
// reads it consistently and that treeLineProblem accepts only lines that
// keep the grammar.

#include "text/tree_line.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool within(std::string_view part, std::string_view whole) {
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

// Answer `number` lies inside the line, holds no ";" and is closed by one.
void checkAnswer(const besedka::TreeLine& tree, std::string_view line, std::size_t number) {
    const std::string_view answer = tree.answer(number);
    check(within(answer, line));
    check(answer.find(';') == std::string_view::npos);
    const std::size_t end = static_cast<std::size_t>(answer.data() - line.data()) + answer.size();
    check(end < line.size() && line[end] == ';');
}

void checkTreeLine(std::string_view line) {
    const besedka::TreeLine tree(line);
    const std::size_t depth = tree.depth();
    check(depth <= line.size());
    check(line.find_first_not_of('_') == (depth == line.size() ? std::string_view::npos : depth));

    if (!tree.hasSeparator()) {
        check(tree.keyWithMarks().empty() && tree.key().empty() && tree.answerCount() == 0);
        check(line.size() <= 1 ||
              line.find('^', std::max<std::size_t>(depth, 1)) == std::string_view::npos);
    } else {
        const std::string_view marked = tree.keyWithMarks();
        check(!marked.empty() && within(marked, line) && marked.data() == line.data());
        check(marked.size() < line.size() && line[marked.size()] == '^');
        check(marked.size() >= depth && tree.key() == marked.substr(depth));
        check(marked.find('^', 1) == std::string_view::npos);
        const std::string_view answers = line.substr(marked.size() + 1);
        check(tree.answerCount() ==
              static_cast<std::size_t>(std::count(answers.begin(), answers.end(), ';')));
    }

    check(tree.answer(0).empty() && tree.answer(tree.answerCount() + 1).empty());
    // Each answer is found by a scan from the first, so check a bounded few.
    const std::size_t count = tree.answerCount();
    for (std::size_t number = 1; number <= std::min<std::size_t>(count, 64); ++number) {
        checkAnswer(tree, line, number);
    }
    if (count > 64) {
        checkAnswer(tree, line, count);
    }

    if (!besedka::treeLineProblem(line)) {
        check(tree.hasSeparator() && !tree.key().empty());
        check(tree.key().find(';') == std::string_view::npos);
        check(line.back() == ';' || line.back() == '^');
        for (std::size_t number = 1; number <= std::min<std::size_t>(count, 64); ++number) {
            check(!tree.answer(number).empty());
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    checkTreeLine(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
