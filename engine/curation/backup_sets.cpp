#include "curation/backup_sets.h"

#include "curation/change_backup.h"
#include "curation/curation_error.h"
#include "files/atomic_file.h"
#include "files/backup_record.h"
#include "files/backups.h"
#include "files/file_error.h"
#include "files/file_store.h"
#include "files/kb_paths.h"
#include "files/path_map.h"
#include "files/restore_journal.h"
#include "files/string_list.h"

#include <algorithm>
#include <iterator>

namespace besedka {
namespace fs = std::filesystem;
namespace {

std::string withReason(const std::string& what, const std::error_code& reason) {
    return what + ": " + reasonText(reason);
}

// A filesystem error of a step on backups, with what the step refuses.
CurationError backupsFailed(Refusal code, const fs::filesystem_error& error,
                            const std::string& refusal = {}) {
    return CurationError(code, pathFacts(error.path1(), error.code()), error.what() + refusal);
}

const char* const kNoStateHome = "no backups: neither XDG_STATE_HOME nor HOME is set";

BackupSummary summarize(const fs::path& folder, const std::string& stamp) {
    BackupSummary summary;
    summary.stamp = stamp;
    const fs::path backup = folder / stamp;
    for (const auto& entry : fs::directory_iterator(backup)) {
        if (isBackupCopy(entry.path())) {
            ++summary.files;
            summary.bytes += entry.file_size();
        }
    }
    summary.damage = backupSizeFault(backup);
    summary.reason = backupReason(backup);
    std::error_code reason;
    if (const auto tree = readWholeFile(PathMap(backup).resolve("Words.Dat"), reason)) {
        summary.treeLines = parseKnowledgeFile(*tree).size();
    }
    return summary;
}

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) {
        text += (text.empty() ? "" : ", ") + word;
    }
    return text;
}

std::size_t sharedStart(const std::string& a, const std::string& b) {
    const auto [end, _] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    return static_cast<std::size_t>(end - a.begin());
}

// The refusal of a stamp that names no backup, with the stamps that begin
// most like it (those of the same day at least).
CurationError noSuchStamp(const std::vector<std::string>& stamps, const std::string& given) {
    constexpr std::size_t kSameDay = 10; // "2026-12-07"
    constexpr std::size_t kListed = 5;
    std::size_t longest = 0;
    for (const std::string& stamp : stamps) {
        longest = std::max(longest, sharedStart(stamp, given));
    }
    std::vector<std::string> closest;
    for (auto it = stamps.rbegin(); it != stamps.rend() && closest.size() < kListed; ++it) {
        if (longest >= kSameDay && sharedStart(*it, given) == longest) {
            closest.push_back(*it);
        }
    }
    const std::string hint =
        closest.empty() ? "" : "; the closest: " + joined({closest.rbegin(), closest.rend()});
    RefusalFacts facts;
    facts.text = given;
    facts.names.assign(closest.rbegin(), closest.rend());
    return CurationError(Refusal::NoSuchBackup, facts,
                         "no backup " + given + hint + " (besedka kb backups lists them)");
}

// The backup folder that `backup` names: "latest", a stamp of `folder` or
// the start of exactly one, or a path.
fs::path backupNamed(const fs::path& folder, const std::string& backup) {
    if (backup.find('/') != std::string::npos) {
        std::error_code error;
        if (!fs::is_directory(backup, error)) {
            throw CurationError(Refusal::NoBackupFolder, pathFacts(backup),
                                "no backup folder " + backup);
        }
        return fs::absolute(backup).lexically_normal();
    }
    const auto stamps = listBackups(folder);
    if (backup == "latest" && !stamps.empty()) {
        return folder / stamps.back();
    }
    if (std::find(stamps.begin(), stamps.end(), backup) != stamps.end()) {
        return folder / backup;
    }
    std::vector<std::string> matches;
    std::copy_if(stamps.begin(), stamps.end(), std::back_inserter(matches),
                 [&](const std::string& stamp) { return stamp.starts_with(backup); });
    if (matches.size() == 1) {
        return folder / matches.front();
    }
    if (matches.size() > 1) {
        RefusalFacts facts;
        facts.text = backup;
        facts.names = matches;
        throw CurationError(Refusal::AmbiguousBackup, facts,
                            "\"" + backup + "\" begins " + std::to_string(matches.size()) +
                                " backups: " + joined(matches) + "; give more of the stamp");
    }
    if (stamps.empty()) {
        throw CurationError(Refusal::NoBackupsYet, pathFacts(folder),
                            "no backups yet in " + folder.string());
    }
    throw noSuchStamp(stamps, backup);
}

CurationError placementFailed(const PlacementFailure& failure, const fs::path& base,
                              const fs::path& backup) {
    const std::string name = backup.filename().string();
    RefusalFacts facts = pathFacts(base / failure.file, failure.reason);
    const std::string cause = withReason("cannot write " + facts.path, failure.reason);
    if (failure.putBack) {
        return CurationError(Refusal::RestoreNotPlaced, facts,
                             cause + "; nothing restored: Base is as it was");
    }
    facts.text = name;
    return CurationError(Refusal::RestoreUnfinished, facts,
                         cause + "; Base is changing to backup " + name +
                             ": the next run that changes Base finishes the restore");
}

std::vector<RestoredFile> restoredFiles(const FileBytes& copies) {
    std::vector<RestoredFile> restored;
    for (const auto& [name, bytes] : copies) {
        restored.push_back({name, parseKnowledgeFile(bytes).size()});
    }
    return restored;
}

} // namespace

fs::path backupFolderOf(const fs::path& workdir) {
    const auto folder = findBackupFolder(workdir);
    if (!folder) {
        throw CurationError(Refusal::NoBackupsWithoutStateHome, {}, kNoStateHome);
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
        throw backupsFailed(Refusal::BackupsUnreadable, error);
    }
    return summaries;
}

std::optional<fs::path> unfinishedRestoreOf(const fs::path& folder) {
    return unfinishedRestore(folder);
}

std::vector<BackupSet> allBackupSets() {
    const auto root = backupsRoot();
    if (!root) {
        throw CurationError(Refusal::NoBackupsWithoutStateHome, {}, kNoStateHome);
    }
    std::vector<BackupSet> sets;
    std::error_code error;
    for (fs::directory_iterator it(*root, error), end; !error && it != end; it.increment(error)) {
        if (it->is_directory(error)) {
            sets.push_back({it->path(), backupOrigin(it->path()), listBackups(it->path())});
        }
    }
    if (error && error != std::errc::no_such_file_or_directory) {
        throw CurationError(Refusal::BackupsUnreadable, pathFacts(*root, error),
                            withReason("cannot read " + root->string(), error));
    }
    std::sort(sets.begin(), sets.end(),
              [](const BackupSet& a, const BackupSet& b) { return a.folder < b.folder; });
    return sets;
}

bool originGone(const BackupSet& set) {
    if (!set.origin) {
        return false;
    }
    std::error_code error;
    return fs::symlink_status(*set.origin, error).type() == fs::file_type::not_found;
}

std::uintmax_t backupSetBytes(const BackupSet& set) {
    std::uintmax_t bytes = 0;
    std::error_code error;
    for (fs::recursive_directory_iterator it(set.folder, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_regular_file(error) && !it->is_symlink(error)) {
            bytes += it->file_size(error);
        }
    }
    return bytes;
}

void removeBackupSet(const BackupSet& set) {
    const auto root = backupsRoot();
    std::error_code error;
    const bool inRoot = root && !set.folder.filename().empty() && set.folder.filename() != "." &&
                        set.folder.filename() != ".." &&
                        fs::equivalent(set.folder.parent_path(), *root, error);
    if (!inRoot || !fs::is_directory(fs::symlink_status(set.folder, error))) {
        throw CurationError(Refusal::NotABackupsFolder, pathFacts(set.folder),
                            "not a folder of backups: " + set.folder.string());
    }
    fs::remove_all(set.folder, error); // removes links as links
    if (error) {
        throw CurationError(Refusal::BackupsNotRemoved, pathFacts(set.folder, error),
                            withReason("cannot remove " + set.folder.string(), error));
    }
}

std::string backupNamedBy(const fs::path& workdir, const std::string& given) {
    if (given.find('/') != std::string::npos) {
        return given;
    }
    return backupNamed(backupFolderOf(workdir), given).filename().string();
}

std::vector<RestoredFile> restoreBackup(const fs::path& workdir, const std::string& backup,
                                        const Feedback& feedback, bool withLog) {
    // Base keeps its dialogue log unless the backup's is asked for.
    const auto kept = withLog ? std::vector<std::string>{}
                              : std::vector{std::string(paths::fileNameOf(paths::kLog))};
    const fs::path folder = backupFolderOf(workdir);
    const fs::path source = backupNamed(folder, backup);
    const FileStore files{PathMap(workdir)};
    const fs::path base = files.paths().resolve("Base");
    const auto hold = holdForChange(files, feedback);
    std::optional<TakenBackup> undo;
    const auto backUpFirst = [&] {
        BackupProblem problem;
        undo = backUpKnowledgeBase(
            workdir, base, [&](const BackupProblem& p) { problem = p; }, feedback.backupReason);
        if (!undo) {
            throw NoBackupMade(problem, "nothing restored");
        }
        return undo->folder / undo->stamp;
    };
    FileBytes copies;
    try {
        copies = readBackupFiles(source, kept);
        if (const auto failure = putBackupInPlace(copies, source, base, backUpFirst, kept)) {
            throw placementFailed(*failure, base, source);
        }
    } catch (const DamagedBackup& damage) {
        RefusalFacts facts;
        facts.text = source.filename().string();
        throw CurationError(Refusal::BackupDamaged, facts,
                            "backup " + facts.text + " is damaged: " + damage.what() +
                                "; nothing restored");
    } catch (const fs::filesystem_error& error) {
        throw backupsFailed(Refusal::RestoreFailed, error, "; nothing restored");
    }
    retireOldBackups(folder, {undo->stamp, source.filename().string()});
    return restoredFiles(copies);
}

} // namespace besedka
