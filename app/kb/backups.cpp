// kb backups and kb restore: the copies taken before each run's first save.
#include "kb/subcommands.h"

#include "curation/backup_sets.h"

#include <ostream>

namespace besedka::kb {
namespace {

std::string padLeft(const std::string& text, std::size_t width) {
    return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

void printSummaries(const std::vector<BackupSummary>& summaries, std::ostream& out) {
    out << "stamp                    files       bytes  tree lines\n";
    for (const BackupSummary& summary : summaries) {
        const std::string lines = summary.treeLines ? std::to_string(*summary.treeLines) : "-";
        out << summary.stamp << padLeft(std::to_string(summary.files), 7)
            << padLeft(std::to_string(summary.bytes), 12) << padLeft(lines, 12) << '\n';
    }
}

} // namespace

int showBackups(const Args& args, std::ostream& out, std::ostream& err) {
    const auto workdir = workdirArgument(args, 0, err);
    if (!workdir) {
        return kFailure;
    }
    return guarded(err, *workdir, [&] {
        const auto folder = backupFolderOf(*workdir);
        const auto summaries = backupSummaries(folder);
        if (summaries.empty()) {
            out << "no backups yet in " << folder.string() << '\n';
        } else {
            out << "backups in " << folder.string() << ", oldest first:\n";
            printSummaries(summaries, out);
        }
        return kSuccess;
    });
}

int restoreBackup(const Args& args, std::ostream& out, std::ostream& err) {
    const auto workdir = workdirArgument(args, 1, err);
    if (!workdir) {
        return kFailure;
    }
    return guarded(err, *workdir, [&] {
        for (const RestoredFile& file :
             besedka::restoreBackup(*workdir, args[0], feedbackOn(err))) {
            out << "restored Base/" << file.name << " (" << file.lines << " lines)\n";
        }
        return kSuccess;
    });
}

} // namespace besedka::kb
