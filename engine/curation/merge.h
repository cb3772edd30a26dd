#pragma once

#include "curation/feedback.h"
#include "curation/knowledge_content.h"
#include "files/file_store.h"

#include <cstddef>
#include <string>
#include <vector>

namespace besedka {

struct MergeFigures {
    std::size_t newLines = 0;   // tree lines added
    std::size_t newAnswers = 0; // answers added to lines that were there
    std::size_t knownLines = 0; // tree lines found at their place
    // Lines of the source that break the tree's grammar, with the lines of
    // their branches, which hang under them: not merged.
    std::size_t passedOver = 0;
    struct ListFigure {
        std::string name;
        std::size_t added = 0;
    };
    std::vector<ListFigure> lists; // lines added to each reply list merged
};

struct MergeOptions {
    bool dryRun = false;        // count, and write nothing
    bool withoutBackup = false; // merge even when no backup can be made
};

// Merges `source` into the working directory's knowledge base as teaching
// does: each tree line is looked for by its key at the same place of the
// outline; a line found gets the answers it lacks, in order, and a missing
// line is added with its branch to its parent's branch, before the first line
// there whose key the walk would find in its key (OutlineMerge::placeForWalk),
// else at the end. A source line that breaks the grammar is never copied:
// found by its whole text, its branch merges under it; else it is passed over
// with its branch. Each reply list gets the lines of the source's list that it
// does not hold yet, in order. Merging the same source twice changes nothing
// the second time. Every file is read and merged first; then, under the lock
// of Base and after a backup, each changed file is saved once, atomically. A
// backup that cannot be made refuses the change (NoBackupMade) unless
// `withoutBackup`. File errors throw FileError.
MergeFigures mergeKnowledge(FileStore& files, const KnowledgeContent& source,
                            const MergeOptions& options, const Feedback& feedback);

} // namespace besedka
