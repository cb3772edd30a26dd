#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace besedka {

class FileStore;

// Copies of a working directory's knowledge base (the files of its Base
// directory), taken before a change and kept outside the working directory:
// $XDG_STATE_HOME/besedka/backups/<name>-<hash of its path>/<stamp>/, the
// state home being ~/.local/state by default. A stamp is the time in UTC and
// a number that grows with each backup ("2026-12-07_12-30-05Z-42"): the
// number, never the clock, orders them, so a changed time zone, the repeated
// hour at the end of daylight saving or a clock set back cannot make a new
// backup pass for an old one. Stamps of older versions, local times
// ("2026-12-07_12-30-05.123"), still count, as older than every numbered one.

inline constexpr std::size_t kBackupsKept = 10;

// The folder of the working directory's backups, or nothing when there is no
// state home (neither XDG_STATE_HOME nor HOME is set). Its name is cut to fit
// a file name's 255 bytes.
[[nodiscard]] std::optional<std::filesystem::path>
findBackupFolder(const std::filesystem::path& workdir);

// The folder that holds every working directory's backup folder.
[[nodiscard]] std::optional<std::filesystem::path> backupsRoot();

// The working directory a backup folder belongs to, as recorded when its last
// backup was taken; nothing for folders of older versions.
std::optional<std::string> backupOrigin(const std::filesystem::path& folder);

// Copies the regular files of `base` into a new backup in `folder`, which
// records `workdir` as its origin, and `reason` (what was about to happen,
// "перед: обучение из jokes.txt") unless it is empty. Returns the new
// backup's stamp; throws std::filesystem::filesystem_error when it cannot be
// made. Nothing is removed: see retireOldBackups.
std::string takeBackup(const std::filesystem::path& base, const std::filesystem::path& folder,
                       const std::filesystem::path& workdir, const std::string& reason = {});

// What was about to happen when the backup in folder `backup` was taken, as
// takeBackup recorded it; nothing for a backup without one (those of older
// versions).
std::optional<std::string> backupReason(const std::filesystem::path& backup);

// The stamps of the backups in `folder`, oldest first.
std::vector<std::string> listBackups(const std::filesystem::path& folder);

// Removes all but the `kBackupsKept` newest backups, never one of `kept` nor
// one that an unfinished restore needs, and the leftovers of killed runs.
// Failures are left for the next run: a backup is first renamed aside, so
// that none is ever seen half removed.
void retireOldBackups(const std::filesystem::path& folder, const std::vector<std::string>& kept);

// Why no backup was made: `text` says it in English ("no backup made: ..."),
// the rest for a caller that words it its own way.
struct BackupProblem {
    enum class Cause {
        NoStateHome, // neither XDG_STATE_HOME nor HOME is set
        OutOfMemory,
        File, // an operation on `path` failed for `reason`
    };
    Cause cause = Cause::File;
    std::filesystem::path path;
    std::error_code reason;
    std::string text;
};

using ProblemReport = std::function<void(const BackupProblem& problem)>;

// A backup just taken: where it is and its stamp.
struct TakenBackup {
    std::filesystem::path folder;
    std::string stamp;
};

// Backs up `base`, the Base directory of `workdir`, into the working
// directory's backup folder. A failure is told to `report` ("no backup made:
// ...") and gives nothing.
[[nodiscard]] std::optional<TakenBackup> backUpKnowledgeBase(const std::filesystem::path& workdir,
                                                             const std::filesystem::path& base,
                                                             const ProblemReport& report,
                                                             const std::string& reason = {});

// Makes the store back up its working directory's knowledge base just before
// its first write, and retire old backups once a write has succeeded. A backup
// that fails is told to `report`, and the write goes on: the user's work comes
// first. The backup records `reason`, as takeBackup does.
void backUpBeforeFirstWrite(FileStore& files, ProblemReport report, std::string reason = {});

} // namespace besedka
