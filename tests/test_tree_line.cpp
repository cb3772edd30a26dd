#include "cp1251.h"
#include "key_match.h"
#include "tree_line.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace besedka
