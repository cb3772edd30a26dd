#include "curation/backup_sets.h"

#include "curation/curation_error.h"
#include "files/atomic_file.h"
#include "files/backups.h"
#include "files/file_error.h"
#include "files/file_store.h"
#include "files/path_map.h"
#include "files/string_list.h"

#include <algorithm>
#include <map>

namespace besedka {
namespace fs = std::filesystem;
namespace {

std::string withReason(const std::string& what, const std::error_code& reason) {
    return what + ": " + reasonText(reason);
}

BackupSummary summarize(const fs::path& folder, const std::string& stamp) {
    BackupSummary summary;
    summary.stamp = stamp;
    const fs::path backup = folder / stamp;
    for (const auto& entry : fs::directory_iterator(backup)) {
        ++summary.files;
        summary.bytes += entry.file_size();
    }
    std::error_code reason;
    if (const auto tree = readWholeFile(PathMap(backup).resolve("Words.Dat"), reason)) {
        summary.treeLines = parseKnowledgeFile(*tree).size();
    }
    return summary;
}

// Every file of a backup, by name, read before anything is written: the
// backup of the current state may retire the oldest one.
std::map<std::string, std::string> readBackup(const fs::path& backup) {
    std::map<std::string, std::string> saved;
    std::error_code listed;
    for (fs::directory_iterator it(backup, listed), end; !listed && it != end;
         it.increment(listed)) {
        std::error_code reason;
        const auto bytes = readWholeFile(it->path(), reason);
        if (!bytes) {
            throw CurationError(withReason("cannot read " + it->path().string(), reason));
        }
        saved[it->path().filename().string()] = *bytes;
    }
    if (listed) {
        throw CurationError(withReason("cannot read " + backup.string(), listed));
    }
    return saved;
}

} // namespace

fs::path backupFolderOf(const fs::path& workdir) {
    const auto folder = backupFolder(workdir);
    if (!folder) {
        throw CurationError("no backups: neither XDG_STATE_HOME nor HOME is set");
    }
    return *folder;
}

std::vector<BackupSummary> backupSummaries(const fs::path& folder) {
    std::vector<BackupSummary> summaries;
    try {
        for (const std::string& stamp : listBackups(folder)) {
            summaries.push_back(summarize(folder, stamp));
        }
    } catch (const fs::filesystem_error& error) {
        throw CurationError(error.what());
    }
    return summaries;
}

std::vector<RestoredFile> restoreBackup(const fs::path& workdir, const std::string& stamp,
                                        const Feedback& feedback) {
    const fs::path folder = backupFolderOf(workdir);
    const auto stamps = listBackups(folder);
    if (std::find(stamps.begin(), stamps.end(), stamp) == stamps.end()) {
        throw CurationError("no backup " + stamp + " (besedka kb backups lists them)");
    }
    const FileStore files{PathMap(workdir)};
    const fs::path base = files.paths().resolve("Base");
    const auto hold = files.holdKnowledgeBase(feedback.waiting);
    const auto saved = readBackup(folder / stamp);
    std::optional<std::string> backupProblem;
    backUpKnowledgeBase(workdir, base,
                        [&](const std::string& problem) { backupProblem = problem; });
    if (backupProblem) {
        throw CurationError(*backupProblem + "; nothing restored");
    }
    std::vector<RestoredFile> restored;
    for (const auto& [name, bytes] : saved) {
        if (const auto reason = writeFileAtomically(base / name, bytes)) {
            throw CurationError(withReason("cannot write " + (base / name).string(), reason));
        }
        restored.push_back({name, parseKnowledgeFile(bytes).size()});
    }
    return restored;
}

} // namespace besedka
