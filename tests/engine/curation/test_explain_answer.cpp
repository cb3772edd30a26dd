// Which line would answer a phrase, told from indexes kept between checks as
// from a tree looked at afresh: the window keeps them, kb why does not.
#include "curation/explain_answer.h"

#include "curation/curation_error.h"
#include "curation/outline_merge.h"
#include "curation/tree_search.h"
#include "files/string_list.h"
#include "text/cp1251.h"
#include "text/russian.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace besedka {
namespace {

// What a check tells, or the refusal of a reply no line gives.
std::string told(const std::function<AnswerExplained()>& check) {
    try {
        const AnswerExplained explained = check();
        return std::to_string(static_cast<int>(explained.answering.step)) + " line " +
               std::to_string(explained.lineNumber.value_or(0)) + " after " +
               std::to_string(explained.afterNumber.value_or(0)) + " from " + explained.replyFile +
               " key " + cp1251ToUtf8(explained.key);
    } catch (const CurationError& error) {
        return std::string("refused: ") + error.what();
    }
}

// Random trees with a crowded root level (its keys are indexed) of keys from
// a few words, answers from a few words in either case, with "ё" and "е"
// apart: a reply is held by a line only letter case aside.
TEST(ExplainAnswer, KeptIndexesTellWhatAFreshLookTells) {
    const std::vector<std::string> words{"ёж", "еж", "кот", "пёс", "ЁЖ", "Кот"};
    std::mt19937 random(3);
    const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    const auto phrase = [&](std::size_t count) {
        std::string out;
        for (std::size_t i = 0; i < count; ++i) {
            out += (i > 0 ? " " : "") + words[pick(words.size())];
        }
        return utf8ToCp1251(out);
    };
    for (int round = 0; round < 20; ++round) {
        std::vector<std::string> lines{"header"};
        for (int i = 0; i < 60; ++i) {
            std::string line(pick(3), '_');
            line += cyrillicUpper(phrase(1 + pick(2))) + "^";
            for (std::size_t a = pick(3); a > 0; --a) {
                line += phrase(1) + ".;";
            }
            lines.push_back(line);
        }
        const StringList tree(lines);
        const OutlineMerge outline(tree.textLines());
        const TreeSearch search(tree.textLines());
        for (int check = 0; check < 20; ++check) {
            const std::string said = phrase(1 + pick(3));
            const std::optional<std::string> after =
                pick(2) == 0 ? std::nullopt : std::optional(phrase(1) + ".");
            ASSERT_EQ(
                told([&] { return explainAnswer(tree.textLines(), outline, search, said, after); }),
                told([&] { return explainAnswer(tree.textLines(), said, after); }))
                << cp1251ToUtf8(said) << " after " << cp1251ToUtf8(after.value_or("-"));
        }
    }
}

} // namespace
} // namespace besedka
