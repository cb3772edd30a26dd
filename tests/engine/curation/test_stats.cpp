// The figures of a knowledge base: the tree's depths and answers; a reply
// list that cannot be read is a figure without a value, a tree an error.
#include "curation/stats.h"

#include "engine_fixture.h"
#include "files/file_error.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace besedka::test {
namespace {

TEST(TreeFigures, CountsRootsBranchesByDepthAndAnswers) {
    const TreeFigures figures = treeFigures(
        StringList(toCp1251({"header", "ЛЕС^Тихо.;Темно.;", "_ГРИБЫ^Много.;", "__БЕЛЫЕ^",
                             "___ЕЩЁ^Редко.;", "____ГЛУБЖЕ^", "МОРЕ^", "сломана"})));
    EXPECT_EQ(figures.lines, 8u);
    EXPECT_EQ(figures.learned(), 7u);
    EXPECT_EQ(figures.roots, 3u);
    EXPECT_EQ(figures.branches, (std::array<std::size_t, 3>{1, 1, 2}));
    EXPECT_EQ(figures.withAnswers, 3u);
    EXPECT_EQ(figures.answers, 4u);
    EXPECT_EQ(figures.broken, 1u);
}

class WorkdirStats : public EngineTest {};

TEST_F(WorkdirStats, LeaveAnUnreadableListWithoutAValueButRefuseAnUnreadableTree) {
    writeLines("Base/W2.Dat", {"а", "б", "в"});
    std::filesystem::remove(dir_.path() / "Base" / "W1.Dat");
    const KnowledgeStats stats = knowledgeStats(files_);
    ASSERT_EQ(stats.listLines.size(), 6u);
    EXPECT_EQ(stats.listLines[4].name, "Base\\W1.Dat");
    EXPECT_EQ(stats.listLines[4].value, std::nullopt);
    EXPECT_EQ(stats.listLines[5].value, 3u);

    std::filesystem::remove(dir_.path() / "Base" / "Words.Dat");
    EXPECT_THROW(knowledgeStats(files_), FileError);
}

} // namespace
} // namespace besedka::test
