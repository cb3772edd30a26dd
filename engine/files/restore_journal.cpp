#include "files/restore_journal.h"

#include "files/atomic_file.h"
#include "files/backup_record.h"
#include "files/backups.h"
#include "files/path_map.h"
#include "files/record_lines.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace besedka {
namespace fs = std::filesystem;
namespace {

constexpr const char* kJournal = ".restore";

bool isKept(const std::string& name, const std::vector<std::string>& kept) {
    return std::any_of(kept.begin(), kept.end(),
                       [&](const std::string& k) { return sameFileName(name, k); });
}

// The journal: the backup's path, then the names of the files Base keeps, a
// line each.
[[nodiscard]] std::error_code writeJournal(const fs::path& folder, const fs::path& backup,
                                           const std::vector<std::string>& kept = {}) {
    std::string text = backup.string() + "\n";
    for (const std::string& name : kept) {
        text += name + "\n";
    }
    return writeFileAtomically(folder / kJournal, text);
}

[[nodiscard]] std::optional<std::vector<std::string>> readJournal(const fs::path& folder) {
    std::error_code reason;
    const auto text = readWholeFile(folder / kJournal, reason);
    if (!text || text->empty()) {
        return std::nullopt;
    }
    return recordLines(*text); // nothing when cut short before it was whole
}

// The removal reaches the disk before the restore is reported done: a journal
// that came back after a power loss would restore again over later changes.
[[nodiscard]] std::error_code removeJournal(const fs::path& folder) {
    if (::unlink((folder / kJournal).c_str()) != 0 && errno != ENOENT) {
        return {errno, std::system_category()};
    }
    return syncDirectory(folder);
}

// A file that Base holds as the backup has it stays as it is, so that one
// that may not be written (a read-only reply list) stops no restore. A file
// that Base no longer has gets the owner and attributes of its copy.
[[nodiscard]] std::optional<PlacementFailure>
writeFiles(const FileBytes& files, const fs::path& backup, const fs::path& base) {
    for (const auto& [name, bytes] : files) {
        std::error_code unread;
        if (readWholeFile(base / name, unread) == bytes) {
            continue;
        }
        if (const auto reason = writeFileAtomically(base / name, bytes, backup / name)) {
            return PlacementFailure{name, reason};
        }
    }
    return std::nullopt;
}

// Writes the files of `backup` under the journal, which goes once all are in
// place.
[[nodiscard]] std::optional<PlacementFailure>
placeUnderJournal(const FileBytes& files, const fs::path& backup, const fs::path& base,
                  const fs::path& folder, const std::vector<std::string>& kept = {}) {
    if (const auto reason = writeJournal(folder, backup, kept)) {
        return PlacementFailure{kJournal, reason};
    }
    if (auto failure = writeFiles(files, backup, base)) {
        return failure;
    }
    if (const auto reason = removeJournal(folder)) {
        return PlacementFailure{kJournal, reason};
    }
    return std::nullopt;
}

} // namespace

FileBytes readBackupFiles(const fs::path& backup, const std::vector<std::string>& kept) {
    FileBytes files;
    for (const auto& entry : fs::directory_iterator(backup)) {
        if (!isBackupCopy(entry.path()) || isKept(entry.path().filename().string(), kept)) {
            continue;
        }
        std::error_code reason;
        auto bytes = readWholeFile(entry.path(), reason);
        if (!bytes) {
            throw fs::filesystem_error("cannot read the backup", entry.path(), reason);
        }
        files[entry.path().filename().string()] = std::move(*bytes);
    }
    return files;
}

std::optional<PlacementFailure> putBackupInPlace(const FileBytes& files, const fs::path& backup,
                                                 const fs::path& base, const fs::path& folder,
                                                 const std::function<fs::path()>& backUpFirst,
                                                 const std::vector<std::string>& kept) {
    auto recorded = readBackupRecord(backup);
    if (recorded) {
        recorded->leaveOut(kept);
    }
    if (const auto fault = backupFault(recorded, files)) {
        throw DamagedBackup(*fault);
    }
    const fs::path undo = backUpFirst();
    if (const auto reason = writeJournal(folder, backup, kept)) {
        throw fs::filesystem_error("cannot write the restore's journal", folder / kJournal, reason);
    }
    auto failure = writeFiles(files, backup, base);
    if (!failure) {
        if (const auto reason = removeJournal(folder)) {
            return PlacementFailure{kJournal, reason};
        }
        return std::nullopt;
    }
    try {
        failure->putBack =
            !placeUnderJournal(readBackupFiles(undo, kept), undo, base, folder, kept);
    } catch (const fs::filesystem_error&) {
        // The journal still names the backup asked for: the next run
        // finishes the restore.
    }
    return failure;
}

std::optional<fs::path> unfinishedRestore(const fs::path& folder) {
    const auto journal = readJournal(folder);
    if (!journal) {
        return std::nullopt;
    }
    return fs::path(journal->front());
}

std::optional<PlacementFailure> finishUnfinishedRestore(const fs::path& workdir,
                                                        const fs::path& base) {
    const auto folder = findBackupFolder(workdir);
    const auto journal = folder ? readJournal(*folder) : std::nullopt;
    if (!journal) {
        return std::nullopt;
    }
    const fs::path backup(journal->front());
    const std::vector<std::string> kept(journal->begin() + 1, journal->end());
    try {
        return placeUnderJournal(readBackupFiles(backup, kept), backup, base, *folder, kept);
    } catch (const fs::filesystem_error& error) {
        return PlacementFailure{backup.filename().string(), error.code()};
    }
}

} // namespace besedka
