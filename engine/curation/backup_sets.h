#pragma once

#include "curation/feedback.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace besedka {

// The folder of a working directory's backups; CurationError when there is
// no state home to hold it.
std::filesystem::path backupFolderOf(const std::filesystem::path& workdir);

struct BackupSummary {
    std::string stamp;
    std::size_t files = 0;
    std::uintmax_t bytes = 0;
    std::optional<std::size_t> treeLines; // nothing when it holds no readable tree
};

// The backups in `folder`, oldest first; CurationError when one cannot be read.
std::vector<BackupSummary> backupSummaries(const std::filesystem::path& folder);

struct RestoredFile {
    std::string name; // the file's name in Base
    std::size_t lines = 0;
};

// Puts the backup `stamp` of the working directory back, each file atomically
// under the lock of Base, after backing up the current state (so that the
// restore can be undone the same way). CurationError when the backup does not
// exist, cannot be read or the current state cannot be backed up (nothing
// written then), or when a file cannot be written.
std::vector<RestoredFile> restoreBackup(const std::filesystem::path& workdir,
                                        const std::string& stamp, const Feedback& feedback);

} // namespace besedka
