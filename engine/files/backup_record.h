#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace besedka {

// What a backup keeps of itself beside its copies (".sizes" in the backup's
// folder): the size and a checksum of each copy as it was taken, a line
// "SIZE/SUM NAME" for each file, so that a copy that lost or changed data
// since is known before it is restored. Backups of older versions recorded
// sizes only ("SIZE NAME"), or nothing at all.

using FileSizes = std::map<std::string, std::uintmax_t>;
using FileSums = std::map<std::string, std::uint64_t>;
using FileBytes = std::map<std::string, std::string>;

struct BackupRecord {
    FileSizes sizes;
    FileSums sums; // none for a copy that an older version recorded

    void add(const std::string& name, std::string_view bytes);
    // Leaves out the copies named in `names` (in any letter case).
    void leaveOut(const std::vector<std::string>& names);
};

// Whether a file of a backup's folder is one of its copies: its own record
// and temporaries are hidden, as takeBackup copies no hidden file.
bool isBackupCopy(const std::filesystem::path& file);

// Writes the record of the backup in folder `backup`, atomically and flushed;
// throws std::filesystem::filesystem_error.
void writeBackupRecord(const std::filesystem::path& backup, const BackupRecord& record);

// A backup that is not as it was taken; what() says which file and how
// ("Words.Dat has 0 bytes, 18234 were recorded").
class DamagedBackup : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The record of the backup in folder `backup`, or nothing when it has none;
// DamagedBackup when it has one that cannot be read.
[[nodiscard]] std::optional<BackupRecord> readBackupRecord(const std::filesystem::path& backup);

// What is wrong with the copies `files`, as read from a backup, against its
// `recorded` sizes and sums (nothing for a backup of an older version): a
// recorded file that is missing, of another size or with other bytes, a file
// that was not recorded. A copy without a recorded sum must load as the
// program loads it (no RTF document cut short, no NUL bytes in text); one
// with a sum is restored as it was taken, whatever Base held then. Nothing
// when all is well.
[[nodiscard]] std::optional<std::string> backupFault(const std::optional<BackupRecord>& recorded,
                                                     const FileBytes& files);

// What is wrong with the sizes of the copies in folder `backup`: cheap
// enough for a listing of every backup, as it reads no copy.
[[nodiscard]] std::optional<std::string> backupSizeFault(const std::filesystem::path& backup);

} // namespace besedka
