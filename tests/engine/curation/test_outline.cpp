#include "curation/outline.h"
#include "files/string_list.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace besedka {
namespace {

TEST(Outline, HangsLinesUnderTheNearestShallowerLineAndEndsBranchesThere) {
    const std::vector<std::string> lines{
        "__header^", // 0: outside the outline, whatever its marks
        "A^",        // 1
        "__B^",      // 2: skips a level, still under A
        "_C^",       // 3: under A, not under B
        "__D^",      // 4: under C
        "E^",        // 5
        "_F^",       // 6: the last line closes every branch
    };
    const Outline outline{StringList(lines).textLines()};
    const std::vector<std::optional<std::size_t>> parents{
        std::nullopt, std::nullopt, 1, 1, 3, std::nullopt, 5};
    const std::vector<std::size_t> ends{1, 5, 3, 5, 5, 7, 7};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(outline.parent(i), parents[i]) << "line " << i;
        EXPECT_EQ(outline.branchEnd(i), ends[i]) << "line " << i;
    }
    EXPECT_EQ(outline.depth(2), 2u);
    EXPECT_EQ(Outline(StringList().textLines()).size(), 0u);
}

} // namespace
} // namespace besedka
