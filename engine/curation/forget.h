#pragma once

#include "curation/feedback.h"
#include "curation/tree.h"
#include "files/file_store.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace besedka {

struct ForgetRequest {
    // Line numbers as a text editor counts them: 2 is the first learned line.
    std::vector<std::size_t> numbers;
    // Empty, or for each number the line (Windows-1251) that the user saw
    // there: a line that is no longer the same is not removed.
    std::vector<std::string> expected;
    bool dryRun = false;
    // Removes the lines even when no backup can be made.
    bool withoutBackup = false;
};

// Removes the lines with their branches from the tree, under the lock of Base
// and after a backup, and returns the removed lines in order; a dry run
// returns them without writing. A number that is no learned line, a line that
// is not the one expected, or a backup that cannot be made (unless
// `withoutBackup`) refuses the whole request (CurationError); file errors
// throw FileError. Nothing is written when it throws.
std::vector<NumberedLine> forgetLines(FileStore& files, const ForgetRequest& request,
                                      const Feedback& feedback);

struct Forgotten {
    std::vector<NumberedLine> lines;   // removed, or that a dry run would remove
    std::optional<std::string> backup; // the stamp of the backup taken first
};

// forgetLines, which also tells the backup it took.
Forgotten forget(FileStore& files, const ForgetRequest& request, const Feedback& feedback);

} // namespace besedka
