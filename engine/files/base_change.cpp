#include "files/base_change.h"

#include "files/atomic_file.h"
#include "files/file_descriptor.h"
#include "files/record_lines.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace besedka {
namespace fs = std::filesystem;
namespace {

std::error_code lastError() {
    return {errno, std::system_category()};
}

// One line of the journal: the file of Base, then the name of its new file
// beside the file it replaces.
std::string journalLine(const fs::path& file, const StagedFile& staged) {
    return file.filename().string() + "/" + staged.temporary.filename().string() + "\n";
}

[[nodiscard]] std::error_code writeJournal(const fs::path& journal, std::string_view text) {
    FileDescriptor fd(
        ::open(journal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.valid()) {
        return lastError();
    }
    while (!text.empty()) {
        const ssize_t written = ::write(fd.get(), text.data(), text.size());
        if (written < 0 && errno != EINTR) {
            return lastError();
        }
        text.remove_prefix(written < 0 ? 0 : static_cast<std::size_t>(written));
    }
    if (::fsync(fd.get()) != 0) {
        return lastError();
    }
    return fd.close() ? std::error_code() : lastError();
}

[[nodiscard]] std::error_code syncAll(const std::set<fs::path>& directories) {
    for (const fs::path& directory : directories) {
        if (const auto reason = syncDirectory(directory)) {
            return reason;
        }
    }
    return {};
}

void removeTemporaries(const std::vector<StagedFile>& staged) {
    for (const StagedFile& file : staged) {
        if (!file.temporary.empty()) {
            ::unlink(file.temporary.c_str());
        }
    }
}

// A file of a journal: where its new file is and what it replaces.
struct Rename {
    std::string name;
    fs::path temporary;
    fs::path target;
};

// The renames a journal names, each the new file of a save beside a file of
// Base; nothing when any line is not.
std::optional<std::vector<Rename>> journalRenames(const fs::path& base,
                                                  const std::vector<std::string>& lines) {
    std::vector<Rename> renames;
    for (const std::string& line : lines) {
        const std::size_t slash = line.find('/');
        if (slash == std::string::npos || slash == 0 || line[0] == '.') {
            return std::nullopt;
        }
        const std::string name = line.substr(0, slash);
        const std::string temporary = line.substr(slash + 1);
        std::error_code reason;
        const fs::path target = followLinks(base / name, reason);
        if (reason || temporary.find('/') != std::string::npos ||
            !isTemporaryFor(temporary, target.filename().string())) {
            return std::nullopt;
        }
        renames.push_back({name, directoryOf(target) / temporary, target});
    }
    return renames;
}

bool isRegularFile(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Drops a journal that names no whole change; what it named are leftovers.
std::optional<PlacementFailure> dropJournal(const fs::path& base) {
    if (::unlink((base / kChangeJournal).c_str()) != 0 && errno != ENOENT) {
        return PlacementFailure{kChangeJournal, lastError(), true};
    }
    if (const auto reason = syncDirectory(base)) {
        return PlacementFailure{kChangeJournal, reason, true};
    }
    return std::nullopt;
}

// The renames of a change whose journal is on the disk, then the journal's
// removal: the next sync of Base makes that durable, and a journal that came
// back names new files that are no longer there, so it renames nothing.
std::optional<PlacementFailure> renameAll(const fs::path& base,
                                          const std::vector<Rename>& renames) {
    std::set<fs::path> directories{base};
    for (const Rename& rename : renames) {
        directories.insert(directoryOf(rename.target));
        if (!isRegularFile(rename.temporary)) {
            continue; // renamed already
        }
        if (const auto reason = renameIntoPlace(rename.temporary, rename.target)) {
            return PlacementFailure{rename.name, reason, false};
        }
    }
    if (const auto reason = syncAll(directories)) {
        return PlacementFailure{kChangeJournal, reason, false};
    }
    ::unlink((base / kChangeJournal).c_str());
    return std::nullopt;
}

} // namespace

std::optional<PlacementFailure> changeFilesTogether(const fs::path& base,
                                                    const std::vector<FileChange>& files) {
    if (files.size() == 1) {
        const FileChange& file = files.front();
        if (const auto reason = writeFileAtomically(file.path, file.bytes, file.model)) {
            return PlacementFailure{file.name, reason, true};
        }
        return std::nullopt;
    }
    std::vector<StagedFile> staged;
    std::string journal;
    std::vector<Rename> renames;
    std::set<fs::path> directories{base};
    for (const FileChange& file : files) {
        StagedFile made;
        if (const auto reason = stageFileReplacement(file.path, file.bytes, file.model, made)) {
            removeTemporaries(staged);
            return PlacementFailure{file.name, reason, true};
        }
        staged.push_back(made);
        if (!made.temporary.empty()) {
            journal += journalLine(file.path, made);
            renames.push_back({file.name, made.temporary, made.target});
            directories.insert(directoryOf(made.target));
        }
    }
    // The new files' names are made durable before the journal that names
    // them can be: a journal must never outlive a file it is to rename.
    const fs::path journalPath = base / kChangeJournal;
    std::error_code reason = syncAll(directories);
    if (!reason) {
        reason = writeJournal(journalPath, journal);
    }
    if (!reason) {
        reason = syncDirectory(base); // the journal's name; the new files' are synced
    }
    if (reason) {
        ::unlink(journalPath.c_str());
        removeTemporaries(staged);
        return PlacementFailure{kChangeJournal, reason, true};
    }
    // The change is made: what fails from here on, the next run finishes.
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (staged[i].temporary.empty()) {
            if (const auto unwritten = writeStagedInPlace(staged[i], files[i].bytes)) {
                return PlacementFailure{files[i].name, unwritten, false};
            }
        }
    }
    if (auto failure = renameAll(base, renames)) {
        // Once more, as the next run would: a passing fault is got over.
        if (!renameAll(base, renames)) {
            return std::nullopt;
        }
        return failure;
    }
    return std::nullopt;
}

bool hasUnfinishedChange(const fs::path& base) {
    struct stat info {};
    return ::lstat((base / kChangeJournal).c_str(), &info) == 0;
}

std::optional<PlacementFailure> finishUnfinishedChange(const fs::path& base) {
    std::error_code reason;
    const auto text = readWholeFile(base / kChangeJournal, reason);
    if (!text) {
        if (reason == std::errc::no_such_file_or_directory ||
            reason == std::errc::not_a_directory) {
            return std::nullopt;
        }
        return PlacementFailure{kChangeJournal, reason, false};
    }
    const auto lines = recordLines(*text);
    const auto renames = lines ? journalRenames(base, *lines) : std::nullopt;
    if (!renames || renames->empty()) {
        return dropJournal(base);
    }
    return renameAll(base, *renames);
}

} // namespace besedka
