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
    struct ListFigure {
        std::string name;
        std::size_t added = 0;
    };
    std::vector<ListFigure> lists; // lines added to each reply list merged
};

// Merges `source` into the working directory's knowledge base as teaching
// does: each tree line is looked for by its key at the same place of the
// outline (a line that breaks the grammar by its whole text); a line found
// gets the answers it lacks, in order, and a missing line is added with its
// branch at the end of its parent's branch. Each reply list gets the lines of
// the source's list that it does not hold yet, in order. Merging the same
// source twice changes nothing the second time. Under the lock of Base, after
// a backup, one atomic save per changed file; a dry run writes nothing.
// File errors throw FileError.
MergeFigures mergeKnowledge(FileStore& files, const KnowledgeContent& source, bool dryRun,
                            const Feedback& feedback);

} // namespace besedka
