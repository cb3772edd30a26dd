#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace besedka {

// Where the tree walk stands between exchanges: the depth that the next line
// of the branch must have (0: no branch) and the line that gave the last tree
// answer, or the line a branch continuation last examined.
struct BranchPosition {
    int level = 0;
    std::size_t line = 0;
};

// The two searches of the tree walk over one tree. Lines are numbered as the
// tree numbers them; the chat runs the searches straight over the lines of
// its file, a dry run over an index that finds the same lines.
class TreeSearches {
  public:
    virtual ~TreeSearches() = default;

    // The branch continuation: the first line after `position.line`, before
    // the next root line, whose depth is `position.level`, that has answers
    // and whose key (without its depth marks, never empty) occurs in the
    // phrase (keyOccurs). Nothing when a root line or the end of the tree
    // comes first; `position.line` may move on over the lines examined.
    virtual std::optional<std::size_t> inBranch(BranchPosition& position,
                                                std::string_view phraseKey) = 0;
    // The keyword lookup: the first line from line 1 on with answers whose
    // key, depth marks included, occurs in the phrase.
    virtual std::optional<std::size_t> byKeyword(std::string_view phraseKey) = 0;
};

// One tree walk, the chat's dispatch between the two searches: with a branch,
// its continuation; when there is none or it ends, the keyword lookup. The
// line found moves the position there, one level deeper.
std::optional<std::size_t> walkTree(TreeSearches& tree, std::string_view phraseKey,
                                    BranchPosition& position);

} // namespace besedka
