#include "curation/backup_sets.h"

#include "curation/curation_error.h"
#include "files/atomic_file.h"
#include "files/backups.h"
#include "files/file_error.h"
#include "files/file_store.h"
#include "files/path_map.h"
#include "files/restore_journal.h"
#include "files/string_list.h"

#include <algorithm>

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

// The backup folder that `backup` names: a stamp of `folder`, or a path.
fs::path backupNamed(const fs::path& folder, const std::string& backup) {
    if (backup.find('/') != std::string::npos) {
        std::error_code error;
        if (!fs::is_directory(backup, error)) {
            throw CurationError("no backup folder " + backup);
        }
        return fs::absolute(backup).lexically_normal();
    }
    const auto stamps = listBackups(folder);
    if (std::find(stamps.begin(), stamps.end(), backup) == stamps.end()) {
        throw CurationError("no backup " + backup + " (besedka kb backups lists them)");
    }
    return folder / backup;
}

std::string failureMessage(const PlacementFailure& failure, const fs::path& base,
                           const fs::path& backup) {
    const std::string name = backup.filename().string();
    if (failure.file == ".restore") {
        return withReason("cannot update the restore's journal in " + backup.parent_path().string(),
                          failure.reason) +
               "; Base may hold part of backup " + name +
               ": the next run that changes Base writes it whole";
    }
    const std::string cause =
        withReason("cannot write " + (base / failure.file).string(), failure.reason);
    if (failure.putBack) {
        return cause + "; nothing restored: Base is as it was";
    }
    return cause + "; Base holds part of backup " + name +
           ": the next run that changes Base finishes the restore";
}

std::vector<RestoredFile> restoredFiles(const fs::path& backup) {
    std::vector<RestoredFile> restored;
    for (const auto& entry : fs::directory_iterator(backup)) {
        std::error_code reason;
        const auto bytes = readWholeFile(entry.path(), reason);
        restored.push_back(
            {entry.path().filename().string(), bytes ? parseKnowledgeFile(*bytes).size() : 0});
    }
    std::sort(restored.begin(), restored.end(),
              [](const RestoredFile& a, const RestoredFile& b) { return a.name < b.name; });
    return restored;
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

std::optional<fs::path> unfinishedRestoreOf(const fs::path& folder) {
    return unfinishedRestore(folder);
}

std::vector<BackupSet> allBackupSets() {
    const auto root = backupsRoot();
    if (!root) {
        throw CurationError("no backups: neither XDG_STATE_HOME nor HOME is set");
    }
    std::vector<BackupSet> sets;
    std::error_code error;
    for (fs::directory_iterator it(*root, error), end; !error && it != end; it.increment(error)) {
        if (it->is_directory(error)) {
            sets.push_back({it->path(), backupOrigin(it->path()), listBackups(it->path())});
        }
    }
    if (error && error != std::errc::no_such_file_or_directory) {
        throw CurationError(withReason("cannot read " + root->string(), error));
    }
    std::sort(sets.begin(), sets.end(),
              [](const BackupSet& a, const BackupSet& b) { return a.folder < b.folder; });
    return sets;
}

std::vector<RestoredFile> restoreBackup(const fs::path& workdir, const std::string& backup,
                                        const Feedback& feedback) {
    const fs::path folder = backupFolderOf(workdir);
    const fs::path source = backupNamed(folder, backup);
    const FileStore files{PathMap(workdir)};
    const fs::path base = files.paths().resolve("Base");
    const auto hold = files.holdKnowledgeBase(feedback.waiting);
    std::optional<TakenBackup> undo;
    const auto backUpFirst = [&] {
        std::string problem;
        undo = backUpKnowledgeBase(workdir, base, [&](const std::string& p) { problem = p; });
        if (!undo) {
            throw CurationError(problem + "; nothing restored");
        }
        return undo->folder / undo->stamp;
    };
    try {
        if (const auto failure = putBackupInPlace(source, base, folder, backUpFirst)) {
            throw CurationError(failureMessage(*failure, base, source));
        }
    } catch (const fs::filesystem_error& error) {
        throw CurationError(std::string(error.what()) + "; nothing restored");
    }
    retireOldBackups(folder, {undo->stamp, source.filename().string()});
    return restoredFiles(source);
}

} // namespace besedka
