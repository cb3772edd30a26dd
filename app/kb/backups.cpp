// kb backups and kb restore: the copies taken before each run's first save.
#include "kb/subcommands.h"

#include "curation/backup_sets.h"
#include "files/path_map.h"
#include "kb/backup_reason.h"
#include "kb/guarded.h"
#include "kb/printed_forms.h"
#include "kb/terminal_question.h"

#include <algorithm>
#include <ostream>

namespace besedka::kb {
namespace fs = std::filesystem;
namespace {

std::string padLeft(const std::string& text, std::size_t width) {
    return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

void printSummaries(const std::vector<BackupSummary>& summaries, std::ostream& out) {
    out << "stamp                    files       bytes  tree lines\n";
    for (const BackupSummary& summary : summaries) {
        const std::string lines = summary.treeLines ? std::to_string(*summary.treeLines) : "-";
        const std::size_t stampWidth = 23;
        out << summary.stamp
            << padLeft(std::to_string(summary.files),
                       7 + stampWidth - std::min(stampWidth, summary.stamp.size()))
            << padLeft(std::to_string(summary.bytes), 12) << padLeft(lines, 12);
        if (summary.reason) {
            out << "  " << englishBackupReason(*summary.reason);
        }
        if (summary.damage) {
            out << "  damaged: " << *summary.damage;
        }
        out << '\n';
    }
}

// Every working directory's backups, with the path each was taken from; the
// backups of one that no longer exists show their size, and a way to remove them.
int showAllBackups(std::ostream& out, std::ostream& err) {
    return guarded(err, [&] {
        std::size_t gone = 0;
        for (const BackupSet& set : allBackupSets()) {
            out << set.origin.value_or("(taken by an older version; path not recorded)");
            if (originGone(set)) {
                ++gone;
                out << " (no longer exists; its backups take "
                    << counted(backupSetBytes(set), "byte", "bytes") << ")";
            }
            out << '\n'
                << "  " << counted(set.stamps.size(), "backup", "backups") << " in "
                << set.folder.string();
            if (!set.stamps.empty()) {
                out << ", newest " << set.stamps.back();
            }
            out << '\n';
        }
        if (gone > 0) {
            err << "besedka kb: " << counted(gone, "working directory", "working directories")
                << (gone == 1 ? " above no longer exists" : " above no longer exist")
                << "; besedka kb backups --all --prune-gone removes "
                << (gone == 1 ? "its" : "their") << " backups\n";
        }
        return kSuccess;
    });
}

// Removes the backups of the working directories that no longer exist, each
// after a yes on the terminal, or all with --yes.
int pruneGoneBackups(bool yes, std::ostream& out, std::ostream& err) {
    if (!yes && !inputIsTerminal()) {
        return fail(err, "--prune-gone removes backups for good: it asks on a terminal, "
                         "else add --yes");
    }
    return guarded(err, [&] {
        std::size_t removed = 0;
        int status = kSuccess;
        for (const BackupSet& set : allBackupSets()) {
            if (!originGone(set)) {
                continue;
            }
            const std::string what =
                counted(set.stamps.size(), "backup", "backups") + " of " + *set.origin + " (" +
                counted(backupSetBytes(set), "byte", "bytes") + ") in " + set.folder.string();
            if (!yes && !confirmed("remove " + what + "?", err)) {
                continue;
            }
            // One that cannot be removed leaves the others to be.
            if (guarded(err, [&] {
                    removeBackupSet(set);
                    return kSuccess;
                }) != kSuccess) {
                status = kFailure;
                continue;
            }
            out << "removed " << what << '\n';
            ++removed;
        }
        if (removed == 0) {
            out << "nothing removed\n";
        }
        return status;
    });
}

} // namespace

int runBackups(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
    const bool all = args.has(kAll);
    if (!all && (args.has(kPruneGone) || args.has(kYes))) {
        return usageError(err, "backups: --prune-gone and --yes go with --all");
    }
    if (all && !args.words.empty()) { // no WORKDIR beside --all
        return usageError(err, "backups: unexpected \"" + args.words[0] + "\"");
    }
    if (args.has(kYes) && !args.has(kPruneGone)) {
        return usageError(err, "backups: --yes goes with --prune-gone");
    }
    if (args.has(kPruneGone)) {
        return pruneGoneBackups(args.has(kYes), out, err);
    }
    if (all) {
        return showAllBackups(out, err);
    }
    const auto workdir = workdirArgument(args.words, 0, err);
    if (!workdir) {
        return kFailure;
    }
    return guarded(err, *workdir, [&] {
        const auto folder = backupFolderOf(*workdir);
        auto summaries = backupSummaries(folder);
        if (summaries.empty()) {
            out << "no backups yet in " << folder.string() << '\n';
        } else {
            // Newest first, as the knowledge window lists them.
            std::reverse(summaries.begin(), summaries.end());
            out << "backups in " << folder.string() << ", newest first:\n";
            printSummaries(summaries, out);
        }
        if (const auto unfinished = unfinishedRestoreOf(folder)) {
            err << "besedka kb: a restore of " << unfinished->string()
                << " was cut short; the next run that changes Base finishes it\n";
        }
        return kSuccess;
    });
}

int runRestore(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
    const bool log = args.has(kWithLog);
    const Args& rest = args.words;
    if (rest.empty() || rest.size() > 2) {
        return usageError(err, rest.empty() ? "restore: missing STAMP"
                                            : "restore: unexpected \"" + rest.back() + "\"");
    }
    // "kb restore WORKDIR" forgot the backup to restore, rather than naming
    // one; "kb restore WORKDIR STAMP" named them the other way round.
    std::error_code error;
    if (fs::is_directory(PathMap(rest[0]).resolve("Base"), error)) {
        if (rest.size() == 2 && !fs::exists(rest[1], error)) {
            return usageError(err, "restore: STAMP|latest comes first: besedka kb restore " +
                                       shellQuoted(rest[1]) + " " + shellQuoted(rest[0]));
        }
        if (rest.size() == 1) {
            return usageError(err, "restore: missing STAMP|latest before " + rest[0] +
                                       " (besedka kb backups " + shellQuoted(rest[0]) +
                                       " lists them)");
        }
    }
    const auto workdir = workdirArgument(rest, 1, err);
    if (!workdir) {
        return kFailure;
    }
    return guarded(err, *workdir, [&] {
        const std::string stamp = backupNamedBy(*workdir, rest[0]);
        out << "restoring backup " << stamp << '\n';
        for (const RestoredFile& file : restoreBackup(
                 *workdir, stamp, feedbackOn(err, "перед: возврат к копии " + stamp), log)) {
            out << "restored Base/" << file.name << " (" << counted(file.lines, "line", "lines")
                << ")\n";
        }
        if (!log) {
            out << "kept Base/Log.Halden, the dialogues since (--with-log puts the backup's "
                   "back)\n";
        }
        return kSuccess;
    });
}

} // namespace besedka::kb
