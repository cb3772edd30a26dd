#include "files/backup_record.h"

#include "files/atomic_file.h"
#include "files/file_error.h"
#include "files/kb_paths.h"
#include "files/path_map.h"
#include "files/record_lines.h"
#include "files/string_list.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>

namespace besedka {
namespace fs = std::filesystem;
namespace {

constexpr const char* kRecord = ".sizes";

// The tree, the reply lists and the log: the files the program loads, in
// any letter case as it finds them.
bool isLoadedByTheProgram(const std::string& name) {
    const auto named = [&](std::string_view windowsPath) {
        return sameFileName(name, paths::fileNameOf(windowsPath));
    };
    return named(paths::kWords) || named(paths::kLog) ||
           std::any_of(paths::kReplyLists.begin(), paths::kReplyLists.end(), named);
}

std::optional<std::string> loadFault(const std::string& name, const std::string& bytes) {
    const KnowledgeText text = readKnowledgeText(bytes);
    if (text.form == KnowledgeForm::Rtf && text.cutShort) {
        return name + " is cut short: its RTF document does not end";
    }
    if (text.form != KnowledgeForm::Rtf && bytes.find('\0') != std::string::npos) {
        return name + " holds NUL bytes: it is not text";
    }
    return std::nullopt;
}

std::optional<std::string> sizeFault(const FileSizes& recorded, const FileSizes& found) {
    for (const auto& [name, size] : recorded) {
        const auto it = found.find(name);
        if (it == found.end()) {
            return name + " is missing";
        }
        if (it->second != size) {
            return name + " has " + std::to_string(it->second) + " bytes, " + std::to_string(size) +
                   " were recorded";
        }
    }
    for (const auto& [name, size] : found) {
        if (!recorded.contains(name)) {
            return name + " was not in it when it was taken";
        }
    }
    return std::nullopt;
}

// FNV-1a over the bytes: enough to tell a copy that changed on the disk.
std::uint64_t contentSum(std::string_view bytes) {
    std::uint64_t sum = 14695981039346656037ULL;
    for (const char c : bytes) {
        sum = (sum ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    return sum;
}

std::optional<std::uint64_t> number(std::string_view digits, int base, std::size_t longest) {
    std::uint64_t value = 0;
    if (digits.empty() || digits.size() > longest) {
        return std::nullopt;
    }
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return value;
}

struct RecordLine {
    std::string name;
    std::uintmax_t size = 0;
    std::optional<std::uint64_t> sum;
};

// One line of the record: "SIZE/SUM NAME", or "SIZE NAME" as older versions
// wrote it.
std::optional<RecordLine> recordLine(std::string_view line) {
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos || space + 1 == line.size()) {
        return std::nullopt;
    }
    const std::string_view figures = line.substr(0, space);
    const std::size_t slash = figures.find('/');
    const auto size = number(figures.substr(0, slash), 10, 19);
    if (!size) {
        return std::nullopt;
    }
    RecordLine parsed{std::string(line.substr(space + 1)), *size, std::nullopt};
    if (slash != std::string_view::npos) {
        parsed.sum = number(figures.substr(slash + 1), 16, 16);
        if (!parsed.sum) {
            return std::nullopt;
        }
    }
    return parsed;
}

std::optional<std::uint64_t> recordedSum(const std::optional<BackupRecord>& record,
                                         const std::string& name) {
    if (!record) {
        return std::nullopt;
    }
    const auto found = record->sums.find(name);
    return found == record->sums.end() ? std::nullopt : std::optional(found->second);
}

// A stamp of this version ("2026-12-07_12-30-05Z-42"), whose backup always
// has a record: one without has lost it.
bool isNumberedStamp(const std::string& name) {
    constexpr std::size_t kTime = 19;
    return name.size() > kTime + 2 && name.compare(kTime, 2, "Z-") == 0 &&
           std::all_of(name.begin() + kTime + 2, name.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

bool isBackupCopy(const fs::path& file) {
    return !file.filename().string().starts_with('.');
}

void BackupRecord::add(const std::string& name, std::string_view bytes) {
    sizes[name] = bytes.size();
    sums[name] = contentSum(bytes);
}

void BackupRecord::leaveOut(const std::vector<std::string>& names) {
    for (const std::string& left : names) {
        const auto named = [&](const auto& file) { return sameFileName(file.first, left); };
        std::erase_if(sizes, named);
        std::erase_if(sums, named);
    }
}

void writeBackupRecord(const fs::path& backup, const BackupRecord& record) {
    std::string text;
    char sum[17];
    for (const auto& [name, size] : record.sizes) {
        std::snprintf(sum, sizeof sum, "%016llx",
                      static_cast<unsigned long long>(record.sums.at(name)));
        text += std::to_string(size) + "/" + sum + " " + name + "\n";
    }
    if (const auto reason = writeFileAtomically(backup / kRecord, text)) {
        throw fs::filesystem_error("cannot record the backup's sizes", backup / kRecord, reason);
    }
}

std::optional<BackupRecord> readBackupRecord(const fs::path& backup) {
    std::error_code reason;
    const auto text = readWholeFile(backup / kRecord, reason);
    if (!text) {
        if (reason == std::errc::no_such_file_or_directory) {
            if (isNumberedStamp(backup.filename().string())) {
                throw DamagedBackup(std::string(kRecord) + ", its record of sizes, is missing");
            }
            return std::nullopt;
        }
        throw DamagedBackup(std::string(kRecord) +
                            ", its record of sizes, cannot be read: " + reasonText(reason));
    }
    const auto garbled = [] {
        return DamagedBackup(std::string(kRecord) + ", its record of sizes, is garbled");
    };
    const auto lines = recordLines(*text);
    if (!lines) {
        throw garbled();
    }
    BackupRecord record;
    for (const std::string& entry : *lines) {
        const auto line = recordLine(entry);
        if (!line) {
            throw garbled();
        }
        record.sizes[line->name] = line->size;
        if (line->sum) {
            record.sums[line->name] = *line->sum;
        }
    }
    return record;
}

std::optional<std::string> backupFault(const std::optional<BackupRecord>& recorded,
                                       const FileBytes& files) {
    if (recorded) {
        FileSizes found;
        for (const auto& [name, bytes] : files) {
            found[name] = bytes.size();
        }
        if (auto fault = sizeFault(recorded->sizes, found)) {
            return fault;
        }
    }
    for (const auto& [name, bytes] : files) {
        if (const auto sum = recordedSum(recorded, name)) {
            if (*sum != contentSum(bytes)) {
                return name + " has other bytes than were recorded";
            }
        } else if (isLoadedByTheProgram(name)) {
            if (auto fault = loadFault(name, bytes)) {
                return fault;
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> backupSizeFault(const fs::path& backup) {
    try {
        const auto recorded = readBackupRecord(backup);
        if (!recorded) {
            return std::nullopt;
        }
        FileSizes found;
        std::error_code error;
        for (fs::directory_iterator it(backup, error), end; !error && it != end;
             it.increment(error)) {
            std::error_code unsized;
            const auto size = it->file_size(unsized);
            if (isBackupCopy(it->path()) && !unsized) {
                found[it->path().filename().string()] = size;
            }
        }
        return sizeFault(recorded->sizes, found);
    } catch (const DamagedBackup& damage) {
        return damage.what();
    }
}

} // namespace besedka
