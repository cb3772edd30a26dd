// The window's search over a tree made once: the same lines as findInTree,
// which kb find prints, whether it reads the whole tree or narrows to the
// lines the search before found.
#include "curation/tree_search.h"

#include "curation/tree.h"
#include "files/string_list.h"
#include "text/cp1251.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace besedka {
namespace {

std::vector<std::size_t> scanned(const StringList& tree, const std::string& text) {
    std::vector<std::size_t> lines;
    for (const NumberedLine& found : findInTree(tree, text)) {
        lines.push_back(found.number - 1);
    }
    return lines;
}

// Random trees of a few bytes: letters in both cases with "ё" and "е", depth
// marks and the grammar's delimiters. The texts sought are random too, or
// cut from the lines run together, so that many would run over a line's end.
TEST(TreeSearch, FindsWhatFindInTreeFindsWithOrWithoutTheSearchBefore) {
    const std::string bytes = utf8ToCp1251("аАёЁеЕб_^; ");
    std::mt19937 random(7);
    const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    const auto text = [&](std::size_t length) {
        std::string out;
        for (std::size_t i = 0; i < length; ++i) {
            out += bytes[pick(bytes.size())];
        }
        return out;
    };
    for (int round = 0; round < 150; ++round) {
        std::vector<std::string> lines;
        std::string together;
        for (std::size_t i = pick(14); i > 0; --i) {
            lines.push_back(text(pick(9)));
            together += lines.back();
        }
        const StringList tree(lines);
        const TreeSearch search(tree.textLines());
        TreeSearch::Found before = search.find("");
        for (int query = 0; query < 12; ++query) {
            std::string sought = text(pick(4));
            if (pick(2) == 0 && !together.empty()) {
                const std::size_t start = pick(together.size());
                sought = together.substr(start, 1 + pick(6));
            } else if (pick(2) == 0) { // typing on
                sought = before.folded + text(1 + pick(2));
            }
            const std::vector<std::size_t> expected = scanned(tree, sought);
            ASSERT_EQ(search.find(sought).lines, expected) << round << ": " << sought;
            TreeSearch::Found found = search.find(sought, &before);
            ASSERT_EQ(found.lines, expected)
                << round << ": " << sought << " after " << before.folded;
            before = std::move(found);
        }
    }
}

TEST(TreeSearch, FindsNothingInATreeWithoutLearnedLines) {
    for (const std::vector<std::string>& lines :
         {std::vector<std::string>{}, std::vector<std::string>{"header"}}) {
        const TreeSearch search(StringList(lines).textLines());
        EXPECT_TRUE(search.find("").lines.empty());
        EXPECT_TRUE(search.find("header").lines.empty());
    }
}

} // namespace
} // namespace besedka
