#include "files/restore_journal.h"

#include "files/atomic_file.h"
#include "files/backups.h"

#include <cerrno>
#include <map>
#include <unistd.h>

namespace besedka {
namespace fs = std::filesystem;
namespace {

constexpr const char* kJournal = ".restore";

using BackupFiles = std::map<std::string, std::string>;

BackupFiles readBackupFiles(const fs::path& backup) {
    BackupFiles files;
    for (const auto& entry : fs::directory_iterator(backup)) {
        std::error_code reason;
        auto bytes = readWholeFile(entry.path(), reason);
        if (!bytes) {
            throw fs::filesystem_error("cannot read the backup", entry.path(), reason);
        }
        files[entry.path().filename().string()] = std::move(*bytes);
    }
    return files;
}

std::error_code writeJournal(const fs::path& folder, const fs::path& backup) {
    return writeFileAtomically(folder / kJournal, backup.string() + "\n");
}

std::error_code removeJournal(const fs::path& folder) {
    if (::unlink((folder / kJournal).c_str()) != 0 && errno != ENOENT) {
        return {errno, std::system_category()};
    }
    return {};
}

std::optional<PlacementFailure> writeFiles(const BackupFiles& files, const fs::path& base) {
    for (const auto& [name, bytes] : files) {
        if (const auto reason = writeFileAtomically(base / name, bytes)) {
            return PlacementFailure{name, reason};
        }
    }
    return std::nullopt;
}

// Writes the files of `backup` under the journal, which goes once all are in
// place.
std::optional<PlacementFailure> placeUnderJournal(const BackupFiles& files, const fs::path& backup,
                                                  const fs::path& base, const fs::path& folder) {
    if (const auto reason = writeJournal(folder, backup)) {
        return PlacementFailure{kJournal, reason};
    }
    if (auto failure = writeFiles(files, base)) {
        return failure;
    }
    if (const auto reason = removeJournal(folder)) {
        return PlacementFailure{kJournal, reason};
    }
    return std::nullopt;
}

} // namespace

std::optional<PlacementFailure> putBackupInPlace(const fs::path& backup, const fs::path& base,
                                                 const fs::path& folder,
                                                 const std::function<fs::path()>& backUpFirst) {
    const BackupFiles files = readBackupFiles(backup);
    const fs::path undo = backUpFirst();
    if (const auto reason = writeJournal(folder, backup)) {
        throw fs::filesystem_error("cannot write the restore's journal", folder / kJournal, reason);
    }
    auto failure = writeFiles(files, base);
    if (!failure) {
        if (const auto reason = removeJournal(folder)) {
            return PlacementFailure{kJournal, reason};
        }
        return std::nullopt;
    }
    try {
        failure->putBack = !placeUnderJournal(readBackupFiles(undo), undo, base, folder);
    } catch (const fs::filesystem_error&) {
        // The journal still names the backup asked for: the next run
        // finishes the restore.
    }
    return failure;
}

std::optional<fs::path> unfinishedRestore(const fs::path& folder) {
    std::error_code reason;
    auto text = readWholeFile(folder / kJournal, reason);
    if (!text || text->empty() || text->back() != '\n') {
        return std::nullopt;
    }
    text->pop_back();
    return fs::path(*text);
}

std::optional<PlacementFailure> finishUnfinishedRestore(const fs::path& workdir,
                                                        const fs::path& base) {
    const auto folder = backupFolder(workdir);
    const auto backup = folder ? unfinishedRestore(*folder) : std::nullopt;
    if (!backup) {
        return std::nullopt;
    }
    try {
        return placeUnderJournal(readBackupFiles(*backup), *backup, base, *folder);
    } catch (const fs::filesystem_error& error) {
        return PlacementFailure{backup->filename().string(), error.code()};
    }
}

} // namespace besedka
