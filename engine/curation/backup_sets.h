#pragma once

#include "curation/feedback.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace besedka {

// The folder of a working directory's backups, as findBackupFolder finds it;
// CurationError when there is no state home to hold it.
std::filesystem::path backupFolderOf(const std::filesystem::path& workdir);

struct BackupSummary {
    std::string stamp;
    std::size_t files = 0;
    std::uintmax_t bytes = 0;
    std::optional<std::size_t> treeLines; // nothing when it holds no readable tree
    std::optional<std::string> damage;    // a copy of another size than recorded
    std::optional<std::string> reason;    // what was about to happen, when recorded
};

// The backups in `folder`, oldest first; CurationError when one cannot be read.
std::vector<BackupSummary> backupSummaries(const std::filesystem::path& folder);

// The backup that a restore killed or failed midway was putting in place,
// if one was: Base may then hold a mix of two states until the next run that
// changes Base finishes it.
[[nodiscard]] std::optional<std::filesystem::path>
unfinishedRestoreOf(const std::filesystem::path& folder);

// One working directory's backups, as `kb backups --all` lists them.
struct BackupSet {
    std::filesystem::path folder;
    std::optional<std::string> origin; // the working directory, when recorded
    std::vector<std::string> stamps;   // oldest first
};

// Every working directory's backups in the state home, by folder name.
std::vector<BackupSet> allBackupSets();

// Whether the working directory the backups were taken from is recorded and
// surely no longer there (a directory that cannot be looked at is not gone).
bool originGone(const BackupSet& set);

// The bytes of the files in the set's folder; links are counted, not followed.
std::uintmax_t backupSetBytes(const BackupSet& set);

// Removes the set's folder with all its backups. Only a real folder directly
// in the state home's backups folder is removed, and a link in it is removed
// as a link, never followed; CurationError otherwise or when it cannot be.
void removeBackupSet(const BackupSet& set);

// The stamp of the backup that `given` names, as restoreBackup reads it
// ("latest", a stamp or the start of one; a path stays as it is);
// CurationError with the closest stamps when it names none or several.
std::string backupNamedBy(const std::filesystem::path& workdir, const std::string& given);

struct RestoredFile {
    std::string name; // the file's name in Base
    std::size_t lines = 0;
};

// Puts a backup of the working directory back, each file atomically under the
// lock of Base, after backing up the current state (so that the restore can be
// undone the same way). `backup` is a stamp of the working directory's backups
// or the path of a backup folder (one of a working directory that moved).
// CurationError when the backup does not exist, cannot be read, is not as it
// was taken (a copy missing, of another size than recorded, or not loading)
// or the current state cannot be backed up (nothing written then), or when a file cannot be
// written: the message says whether Base was put back as it was or is left to
// the next run to finish. Old backups are retired only after success, and
// never the one restored. A stamp may be given by its start, when that names
// one backup, or as "latest"; the dialogue log stays as it is unless
// `withLog`, so that restoring what was learned loses no conversation.
std::vector<RestoredFile> restoreBackup(const std::filesystem::path& workdir,
                                        const std::string& backup, const Feedback& feedback,
                                        bool withLog = false);

} // namespace besedka
