#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

namespace besedka {

// What a backup keeps of itself beside its copies: the size of each copy as
// it was taken (".sizes" in the backup's folder, a line "SIZE NAME" for each
// file), so that a copy that lost data since is known before it is restored.
// Backups of older versions have none.

using FileSizes = std::map<std::string, std::uintmax_t>;
using FileBytes = std::map<std::string, std::string>;

// Whether a file of a backup's folder is one of its copies: its own record
// and temporaries are hidden, as takeBackup copies no hidden file.
bool isBackupCopy(const std::filesystem::path& file);

// Writes the record of the backup in folder `backup`, atomically and flushed;
// throws std::filesystem::filesystem_error.
void recordSizes(const std::filesystem::path& backup, const FileSizes& sizes);

// A backup that is not as it was taken; what() says which file and how
// ("Words.Dat has 0 bytes, 18234 were recorded").
class DamagedBackup : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The record of the backup in folder `backup`, or nothing when it has none;
// DamagedBackup when it has one that cannot be read.
std::optional<FileSizes> recordedSizes(const std::filesystem::path& backup);

// What is wrong with the copies `files`, as read from a backup, against the
// sizes `recorded` (nothing for a backup of an older version): a recorded file
// that is missing or of another size, a file that was not recorded, a tree,
// reply list or log that does not load as the program loads it (an RTF
// document cut short, NUL bytes in text). Nothing when all is well.
std::optional<std::string> backupFault(const std::optional<FileSizes>& recorded,
                                       const FileBytes& files);

// What is wrong with the sizes of the copies in folder `backup`: cheap
// enough for a listing of every backup, as it reads no copy.
std::optional<std::string> backupSizeFault(const std::filesystem::path& backup);

} // namespace besedka
