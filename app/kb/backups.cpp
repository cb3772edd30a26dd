// kb backups and kb restore: the copies taken before each run's first save.
#include "kb/subcommands.h"

#include "files/atomic_file.h"
#include "files/file_store.h"
#include "files/path_map.h"
#include "files/string_list.h"

#include <map>
#include <ostream>

namespace besedka::kb {
namespace fs = std::filesystem;
namespace {

struct BackupSummary {
    std::size_t files = 0;
    std::uintmax_t bytes = 0;
    std::string treeLines = "-";
};

BackupSummary summarize(const fs::path& backup) {
    BackupSummary summary;
    for (const auto& entry : fs::directory_iterator(backup)) {
        ++summary.files;
        summary.bytes += entry.file_size();
    }
    std::error_code reason;
    if (const auto tree = readWholeFile(PathMap(backup).resolve("Words.Dat"), reason)) {
        summary.treeLines = std::to_string(parseKnowledgeFile(*tree).size());
    }
    return summary;
}

std::string padLeft(const std::string& text, std::size_t width) {
    return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

// The backup folder of a working directory, or nothing with a message.
std::optional<fs::path> folderOf(const fs::path& workdir, std::ostream& err) {
    const auto folder = backupFolder(workdir);
    if (!folder) {
        fail(err, "no backups: neither XDG_STATE_HOME nor HOME is set");
    }
    return folder;
}

} // namespace

int showBackups(const Args& args, std::ostream& out, std::ostream& err) {
    const auto workdir = workdirArgument(args, 0, err);
    const auto folder = workdir ? folderOf(*workdir, err) : std::nullopt;
    if (!folder) {
        return kFailure;
    }
    const std::vector<std::string> stamps = listBackups(*folder);
    if (stamps.empty()) {
        out << "no backups yet in " << folder->string() << '\n';
        return kSuccess;
    }
    out << "backups in " << folder->string() << ", oldest first:\n";
    out << "stamp                    files       bytes  tree lines\n";
    try {
        for (const std::string& stamp : stamps) {
            const BackupSummary summary = summarize(*folder / stamp);
            out << stamp << padLeft(std::to_string(summary.files), 7)
                << padLeft(std::to_string(summary.bytes), 12) << padLeft(summary.treeLines, 12)
                << '\n';
        }
    } catch (const fs::filesystem_error& error) {
        return fail(err, error.what());
    }
    return kSuccess;
}

int restoreBackup(const Args& args, std::ostream& out, std::ostream& err) {
    const std::string& stamp = args[0];
    const auto workdir = workdirArgument(args, 1, err);
    const auto folder = workdir ? folderOf(*workdir, err) : std::nullopt;
    if (!folder) {
        return kFailure;
    }
    const auto stamps = listBackups(*folder);
    if (std::find(stamps.begin(), stamps.end(), stamp) == stamps.end()) {
        return fail(err, "no backup " + stamp + " (besedka kb backups lists them)");
    }
    const FileStore files{PathMap(*workdir)};
    const fs::path base = files.paths().resolve("Base");
    const auto hold = files.holdKnowledgeBase(waitingMessage(err));
    // Read first: the backup of the current state may retire the oldest one.
    std::map<std::string, std::string> saved;
    std::error_code listed;
    for (fs::directory_iterator it(*folder / stamp, listed), end; !listed && it != end;
         it.increment(listed)) {
        std::error_code reason;
        const auto bytes = readWholeFile(it->path(), reason);
        if (!bytes) {
            return fail(err, withReason("cannot read " + it->path().string(), reason));
        }
        saved[it->path().filename().string()] = *bytes;
    }
    if (listed) {
        return fail(err, withReason("cannot read " + (*folder / stamp).string(), listed));
    }
    bool backedUp = true;
    backUpKnowledgeBase(*workdir, base, [&](const std::string& problem) {
        backedUp = false;
        fail(err, problem + "; nothing restored");
    });
    if (!backedUp) {
        return kFailure;
    }
    for (const auto& [name, bytes] : saved) {
        if (const auto reason = writeFileAtomically(base / name, bytes)) {
            return fail(err, withReason("cannot write " + (base / name).string(), reason));
        }
        out << "restored Base/" << name << " (" << parseKnowledgeFile(bytes).size() << " lines)\n";
    }
    return kSuccess;
}

} // namespace besedka::kb
