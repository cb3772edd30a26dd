#include "files/restore_journal.h"

#include "files/atomic_file.h"
#include "files/backup_record.h"
#include "files/backups.h"
#include "files/file_error.h"
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

// The journal of an older version: the backup's path, then the names of the
// files Base keeps, a line each.
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

// The files of `backup` that Base does not hold as the backup has them, as
// one change: a file that Base holds already stays as it is, so that one that
// may not be written (a read-only reply list) stops no restore. A file that
// Base no longer has gets the owner and attributes of its copy.
[[nodiscard]] std::optional<PlacementFailure>
writeFiles(const FileBytes& files, const fs::path& backup, const fs::path& base) {
    std::vector<FileChange> changed;
    for (const auto& [name, bytes] : files) {
        std::error_code unread;
        if (readWholeFile(base / name, unread) != bytes) {
            changed.push_back({base / name, bytes, backup / name, name});
        }
    }
    if (changed.empty()) {
        return std::nullopt;
    }
    return changeFilesTogether(base, changed);
}

// Puts `backup` in place whole, or tells why it could not: a backup outside
// `folder`, missing, unreadable, damaged, or a file that could not be written
// (Base is as it was then).
std::optional<std::string> restoreWhole(const fs::path& backup, const fs::path& base,
                                        const fs::path& folder,
                                        const std::vector<std::string>& kept) {
    const auto stamps = listBackups(folder);
    if (backup.parent_path().lexically_normal() != folder.lexically_normal() ||
        std::find(stamps.begin(), stamps.end(), backup.filename().string()) == stamps.end()) {
        return "it is not a backup of " + folder.string();
    }
    try {
        const FileBytes files = readBackupFiles(backup, kept);
        auto recorded = readBackupRecord(backup);
        if (recorded) {
            recorded->leaveOut(kept);
        }
        if (const auto fault = backupFault(recorded, files)) {
            return "it is damaged: " + *fault;
        }
        if (const auto failure = writeFiles(files, backup, base)) {
            return "cannot write " + failure->file + ": " + reasonText(failure->reason);
        }
    } catch (const fs::filesystem_error& error) {
        return error.what();
    } catch (const DamagedBackup& damage) {
        return std::string("it is damaged: ") + damage.what();
    }
    return std::nullopt;
}

// The backup that the restore took of Base just before it began: the newest
// but the one it restores.
std::optional<fs::path> backupBefore(const fs::path& folder, const fs::path& restored) {
    const auto stamps = listBackups(folder);
    for (auto it = stamps.rbegin(); it != stamps.rend(); ++it) {
        if (folder / *it != restored) {
            return folder / *it;
        }
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
                                                 const fs::path& base,
                                                 const std::function<fs::path()>& backUpFirst,
                                                 const std::vector<std::string>& kept) {
    auto recorded = readBackupRecord(backup);
    if (recorded) {
        recorded->leaveOut(kept);
    }
    if (const auto fault = backupFault(recorded, files)) {
        throw DamagedBackup(*fault);
    }
    backUpFirst();
    return writeFiles(files, backup, base);
}

std::optional<fs::path> unfinishedRestore(const fs::path& folder) {
    const auto journal = readJournal(folder);
    if (!journal) {
        return std::nullopt;
    }
    return fs::path(journal->front());
}

std::optional<std::string> finishUnfinishedRestore(const fs::path& workdir, const fs::path& base) {
    const auto folder = findBackupFolder(workdir);
    const auto journal = folder ? readJournal(*folder) : std::nullopt;
    if (!journal) {
        return std::nullopt;
    }
    const fs::path backup(journal->front());
    const std::vector<std::string> kept(journal->begin() + 1, journal->end());
    const auto why = restoreWhole(backup, base, *folder, kept);
    if (!why) {
        (void)removeJournal(*folder); // a journal that stays is finished again, harmlessly
        return std::nullopt;
    }
    std::string told = "a restore of " + backup.string() +
                       " was cut short and cannot be finished (" + *why + "); ";
    const auto before = backupBefore(*folder, backup);
    const auto unrestored = before ? restoreWhole(*before, base, *folder, kept)
                                   : std::optional<std::string>("there is none");
    if (!unrestored) {
        told += "Base is put back as it was before it, from backup " + before->filename().string();
    } else {
        told += "nor put back from the backup taken before it (" + *unrestored +
                "): Base is kept as it is; kb check tells whether it is whole";
    }
    if (const auto reason = removeJournal(*folder)) {
        told += "; its journal " + (*folder / kJournal).string() +
                " cannot be removed: " + reasonText(reason);
    }
    return told;
}

} // namespace besedka
