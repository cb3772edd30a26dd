#include "files/string_list.h"
#include "text/cp1251.h"
#include "text/key_match.h"
#include "text/tree_keys.h"
#include "text/tree_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>

namespace besedka {
namespace {

TEST(TreeLine, ReadsDepthKeyAndAnswers) {
    const std::string text = utf8ToCp1251("_КАК ДЕЛА?^Хорошо.;Нормально!;");
    const TreeLine line(text);
    EXPECT_EQ(line.depth(), 1u);
    EXPECT_EQ(cp1251ToUtf8(std::string(line.key())), "КАК ДЕЛА?");
    EXPECT_EQ(cp1251ToUtf8(std::string(line.keyWithMarks())), "_КАК ДЕЛА?");
    ASSERT_EQ(line.answerCount(), 2u);
    EXPECT_EQ(cp1251ToUtf8(std::string(line.answer(1))), "Хорошо.");
    EXPECT_EQ(cp1251ToUtf8(std::string(line.answer(2))), "Нормально!");
    EXPECT_TRUE(line.answer(3).empty());
}

TEST(TreeLine, BrokenLinesAreReadSafely) {
    EXPECT_FALSE(TreeLine("").hasSeparator());
    EXPECT_FALSE(TreeLine("___").hasSeparator());
    EXPECT_FALSE(TreeLine("^A;").hasSeparator()); // "^" must follow the first character
    EXPECT_EQ(TreeLine("KEY^").answerCount(), 0u);
    const TreeLine unclosed("KEY^one;two");
    EXPECT_EQ(unclosed.answerCount(), 1u); // text after the last ";" is no answer
    EXPECT_EQ(unclosed.answer(1), "one");
    EXPECT_EQ(TreeLine("A^B^c;").key(), "A");
}

TEST(TreeLine, ProblemsAreNamed) {
    EXPECT_FALSE(treeLineProblem("KEY^a;b;"));
    EXPECT_FALSE(treeLineProblem("__KEY^"));
    EXPECT_TRUE(treeLineProblem(""));
    EXPECT_TRUE(treeLineProblem("KEY"));
    EXPECT_TRUE(treeLineProblem("KEY^a;b"));
    EXPECT_TRUE(treeLineProblem("_^a;"));
    EXPECT_TRUE(treeLineProblem("KEY^a;;"));
}

TEST(KeyMatch, RestartsOnMismatchWithoutRetrying) {
    EXPECT_TRUE(keyOccurs("AB", "XAB"));
    EXPECT_FALSE(keyOccurs("AB", "AAB"));
    EXPECT_TRUE(keyOccurs("A", "CBA"));
    EXPECT_FALSE(keyOccurs("", "ANY"));
    EXPECT_FALSE(keyOccurs("LONGER", "LONG"));
    EXPECT_FALSE(keyOccurs(utf8ToCp1251("ДУРА"), utf8ToCp1251("ДДУРА")));
    EXPECT_FALSE(keyOccurs(utf8ToCp1251("МАМУ"), utf8ToCp1251("МАМАМУ")));
}

// The three scans of a tree, line by line as the grammar reads them.
std::optional<std::size_t> firstFound(const std::vector<std::string>& lines,
                                      std::string_view phrase) {
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const TreeLine line(lines[i]);
        if (line.answerCount() > 0 && keyOccurs(line.keyWithMarks(), phrase)) {
            return i;
        }
    }
    return std::nullopt;
}

template <typename Same>
std::optional<std::size_t> firstWith(const std::vector<std::string>& lines, Same same) {
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (TreeLine(lines[i]).hasSeparator() && same(TreeLine(lines[i]))) {
            return i;
        }
    }
    return std::nullopt;
}

// Random trees of a few letters and the grammar's delimiters, changed at
// random: the keys follow every change and find what a plain scan finds, and
// a copy made before the changes keeps its lines.
TEST(TreeKeys, FindWhatAScanOfEveryLineFinds) {
    std::mt19937 random(11);
    const auto text = [&](std::size_t length) {
        std::string out;
        for (std::size_t i = 0; i < length; ++i) {
            out += "AB_^;"[random() % 5];
        }
        return out;
    };
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> model;
        for (std::size_t i = random() % 12; i > 0; --i) {
            model.push_back(text(random() % 7));
        }
        StringList list(model);
        const std::vector<std::string> original = model;
        const StringList before = list;
        before.treeKeys(); // made before the changes, on the lines both share
        for (int change = 0; change < 6; ++change) {
            for (int query = 0; query < 8; ++query) {
                const std::string phrase = text(random() % 9);
                const auto& keys = list.treeKeys();
                ASSERT_EQ(keys.firstFoundIn(list.textLines(), phrase), firstFound(model, phrase))
                    << phrase;
                ASSERT_EQ(keys.firstWithMarkedKey(list.textLines(), phrase),
                          firstWith(model,
                                    [&](const TreeLine& l) { return l.keyWithMarks() == phrase; }));
                ASSERT_EQ(keys.firstWithKey(list.textLines(), phrase),
                          firstWith(model, [&](const TreeLine& l) { return l.key() == phrase; }));
            }
            if (!model.empty() && random() % 2 == 0) {
                const std::size_t i = random() % model.size();
                model.erase(model.begin() + static_cast<std::ptrdiff_t>(i));
                list.remove(i);
            } else {
                model.push_back(text(random() % 7));
                list.append(model.back());
            }
            ASSERT_EQ(list.lines(), model);
        }
        ASSERT_EQ(before.lines(), original);
    }
}

// Moving lines to the end again and again leaves their old bytes behind
// until the list copies its lines into one block.
TEST(TreeKeys, MovedLinesKeepTheirText) {
    std::vector<std::string> model{"header", std::string(10000, 'A') + "^B;", "C^D;"};
    StringList list(model);
    for (int move = 0; move < 300; ++move) {
        const std::string text(list.line(1));
        list.remove(1);
        list.append(text + "E;");
        std::rotate(model.begin() + 1, model.begin() + 2, model.end());
        model.back() += "E;";
    }
    EXPECT_EQ(list.lines(), model);
    const auto c = std::find_if(model.begin(), model.end(),
                                [](const std::string& line) { return line.starts_with("C^"); });
    EXPECT_EQ(list.treeKeys().firstWithKey(list.textLines(), "C"),
              static_cast<std::size_t>(c - model.begin()));
}

} // namespace
} // namespace besedka
