#pragma once

#include "files/file_store.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace besedka {

// One thing `kb check` says about a file, or a line of it.
struct Finding {
    std::string file;                // as the program names it ("Base\Words.Dat")
    std::optional<std::size_t> line; // as a text editor counts
    std::string message;             // UTF-8
};

struct CheckReport {
    std::vector<Finding> findings; // in the order they are told
    std::size_t absent = 0;        // files missing or unreadable
    std::size_t strayBraces = 0;   // "}" closing an RTF document before its end
    std::size_t treeLines = 0;
    std::size_t broken = 0;       // tree lines that break the grammar
    std::size_t suspicious = 0;   // keys without a letter or digit
    bool restoreCutShort = false; // Base may hold a mix of two backups
    bool emptyTree = false;       // what a power loss leaves of a tree never flushed

    bool ok() const {
        return absent == 0 && broken == 0 && strayBraces == 0 && !restoreCutShort && !emptyTree;
    }
};

// Whether every file of the working directory is there and readable, which
// knowledge files were read as UTF-8 or hold a stray "}", which tree lines
// break the grammar or look suspicious, whether the tree lacks its header and
// whether a restore into Base was cut short.
CheckReport checkWorkingDirectory(const FileStore& files);

} // namespace besedka
