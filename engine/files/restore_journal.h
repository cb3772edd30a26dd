#pragma once

#include "files/backup_record.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace besedka {

// Putting a backup back into Base writes one file after another. So that a
// run killed or failed midway never leaves a mix of two states unnoticed, a
// journal in the backup folder (".restore", never in Base) names the backup
// that Base is being made into until every file is written; the next run that
// takes the lock of Base finishes the work.

// A file of a backup that could not be put in place, and whether Base could
// be put back as it was.
struct PlacementFailure {
    std::string file;
    std::error_code reason;
    bool putBack = false; // Base is as it was before
};

// The copies in `backup` by name, but those named in `kept` (in any letter
// case), which Base keeps as it has them. Throws
// std::filesystem::filesystem_error when one cannot be read.
FileBytes readBackupFiles(const std::filesystem::path& backup,
                          const std::vector<std::string>& kept = {});

// Given the `files` that readBackupFiles read from `backup` with the same
// `kept`, asks `backUpFirst` for a backup of Base as it is (which may throw
// to stop before anything is written), then writes the files into `base`
// under the journal of `folder`, each atomically. On a failure, puts the
// files of that backup back the same way. Throws DamagedBackup when the
// backup is not as it was taken (see backupFault) and
// std::filesystem::filesystem_error when the journal cannot be written
// (nothing written then).
[[nodiscard]] std::optional<PlacementFailure>
putBackupInPlace(const FileBytes& files, const std::filesystem::path& backup,
                 const std::filesystem::path& base, const std::filesystem::path& folder,
                 const std::function<std::filesystem::path()>& backUpFirst,
                 const std::vector<std::string>& kept = {});

// The backup that an unfinished restore puts in place, if the journal of
// `folder` names one.
[[nodiscard]] std::optional<std::filesystem::path>
unfinishedRestore(const std::filesystem::path& folder);

// Finishes a restore of `workdir` that a killed run left unfinished; returns
// what could not be written (the journal stays then).
[[nodiscard]] std::optional<PlacementFailure>
finishUnfinishedRestore(const std::filesystem::path& workdir, const std::filesystem::path& base);

} // namespace besedka
