#pragma once

#include "files/backup_record.h"
#include "files/base_change.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace besedka {

// Putting a backup back into Base is one change of Base (see
// changeFilesTogether). Older versions wrote the files one after another
// under a journal in the backup folder (".restore", never in Base) that named
// the backup, for the next run to finish; such a journal is still honoured,
// but only for a whole backup of the working directory's own backup folder.

// The copies in `backup` by name, but those named in `kept` (in any letter
// case), which Base keeps as it has them. Throws
// std::filesystem::filesystem_error when one cannot be read.
FileBytes readBackupFiles(const std::filesystem::path& backup,
                          const std::vector<std::string>& kept = {});

// Given the `files` that readBackupFiles read from `backup` with the same
// `kept`, asks `backUpFirst` for a backup of Base as it is (which may throw
// to stop before anything is written), then writes the files into `base` as
// one change. Throws DamagedBackup when the backup is not as it was taken
// (see backupFault).
[[nodiscard]] std::optional<PlacementFailure>
putBackupInPlace(const FileBytes& files, const std::filesystem::path& backup,
                 const std::filesystem::path& base,
                 const std::function<std::filesystem::path()>& backUpFirst,
                 const std::vector<std::string>& kept = {});

// The backup that an unfinished restore puts in place, if the journal of
// `folder` names one.
[[nodiscard]] std::optional<std::filesystem::path>
unfinishedRestore(const std::filesystem::path& folder);

// Finishes a restore of `workdir` that an older version left unfinished. One
// that cannot be finished (its backup gone, damaged, or not one of the
// working directory's own) never blocks Base: it is put back from the backup
// taken just before the restore, or, when that cannot be done either, kept as
// it is; the journal goes, and what happened is returned, to be told once.
[[nodiscard]] std::optional<std::string>
finishUnfinishedRestore(const std::filesystem::path& workdir, const std::filesystem::path& base);

} // namespace besedka
