#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace besedka {

class FileStore;

// Copies of a working directory's knowledge base (the files of its Base
// directory), taken before a run's first save and kept outside the working
// directory: $XDG_STATE_HOME/besedka/backups/<name>-<hash of its path>/<stamp>/,
// the state home being ~/.local/state by default. Stamps are local times
// ("2026-12-07_12-30-05.123"), so that their order is their age.

inline constexpr std::size_t kBackupsKept = 10;

// The folder of the working directory's backups, or nothing when there is no
// state home (neither XDG_STATE_HOME nor HOME is set).
std::optional<std::filesystem::path> backupFolder(const std::filesystem::path& workdir);

// Copies the regular files of `base` into a new backup in `folder` and removes
// all but the `kBackupsKept` newest. Returns the new backup's stamp; throws
// std::filesystem::filesystem_error when it cannot be made.
std::string takeBackup(const std::filesystem::path& base, const std::filesystem::path& folder);

// The stamps of the backups in `folder`, oldest first.
std::vector<std::string> listBackups(const std::filesystem::path& folder);

using ProblemReport = std::function<void(const std::string& problem)>;

// Backs up `base`, the Base directory of `workdir`, into the working
// directory's backup folder; a failure is told to `report`.
void backUpKnowledgeBase(const std::filesystem::path& workdir, const std::filesystem::path& base,
                         const ProblemReport& report);

// Makes the store back up its working directory's knowledge base just before
// its first write. A backup that fails is told to `report`, and the write
// goes on: the user's work comes first.
void backUpBeforeFirstWrite(FileStore& files, ProblemReport report);

} // namespace besedka
