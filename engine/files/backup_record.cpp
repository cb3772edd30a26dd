#include "files/backup_record.h"

#include "files/atomic_file.h"
#include "files/file_error.h"
#include "files/kb_paths.h"
#include "files/path_map.h"
#include "files/record_lines.h"
#include "files/string_list.h"

#include <algorithm>
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

// One line of the record: "SIZE NAME".
std::optional<std::pair<std::string, std::uintmax_t>> recordLine(std::string_view line) {
    const std::size_t space = line.find(' ');
    if (space == 0 || space == std::string_view::npos || space > 19 || space + 1 == line.size() ||
        !std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(space),
                     [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return std::pair{std::string(line.substr(space + 1)),
                     std::stoull(std::string(line.substr(0, space)))};
}

} // namespace

bool isBackupCopy(const fs::path& file) {
    return !file.filename().string().starts_with('.');
}

void recordSizes(const fs::path& backup, const FileSizes& sizes) {
    std::string text;
    for (const auto& [name, size] : sizes) {
        text += std::to_string(size) + " " + name + "\n";
    }
    if (const auto reason = writeFileAtomically(backup / kRecord, text)) {
        throw fs::filesystem_error("cannot record the backup's sizes", backup / kRecord, reason);
    }
}

std::optional<FileSizes> recordedSizes(const fs::path& backup) {
    std::error_code reason;
    const auto text = readWholeFile(backup / kRecord, reason);
    if (!text) {
        if (reason == std::errc::no_such_file_or_directory) {
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
    FileSizes sizes;
    for (const std::string& entry : *lines) {
        const auto line = recordLine(entry);
        if (!line) {
            throw garbled();
        }
        sizes.insert(*line);
    }
    return sizes;
}

std::optional<std::string> backupFault(const std::optional<FileSizes>& recorded,
                                       const FileBytes& files) {
    if (recorded) {
        FileSizes found;
        for (const auto& [name, bytes] : files) {
            found[name] = bytes.size();
        }
        if (auto fault = sizeFault(*recorded, found)) {
            return fault;
        }
    }
    for (const auto& [name, bytes] : files) {
        if (isLoadedByTheProgram(name)) {
            if (auto fault = loadFault(name, bytes)) {
                return fault;
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> backupSizeFault(const fs::path& backup) {
    try {
        const auto recorded = recordedSizes(backup);
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
        return sizeFault(*recorded, found);
    } catch (const DamagedBackup& damage) {
        return damage.what();
    }
}

} // namespace besedka
