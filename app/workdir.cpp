#include "workdir.h"

#include "files/atomic_file.h"
#include "files/path_map.h"

#include <stdlib.h>

#include <algorithm>

#include <cstdlib>
#include <string_view>
#include <system_error>
#include <vector>

namespace besedka {
namespace fs = std::filesystem;
namespace {

std::optional<std::string> variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

bool holdsBase(const fs::path& directory) {
    std::error_code error;
    return fs::is_directory(PathMap(directory).resolve("Base"), error);
}

fs::path executableDirectory() {
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : exe.parent_path();
}

} // namespace

WorkdirEnvironment WorkdirEnvironment::current() {
    WorkdirEnvironment environment;
    std::error_code error;
    environment.currentDirectory = fs::current_path(error);
    environment.xdgDataHome = variable("XDG_DATA_HOME");
    environment.home = variable("HOME");
    if (const auto starter = variable("BESEDKA_STARTER_DATA")) {
        environment.starterCandidates.emplace_back(*starter);
    }
    // Installed next to the program (prefix/bin and prefix/share/besedka).
    environment.starterCandidates.push_back(executableDirectory() / ".." / "share" / "besedka");
#ifdef BESEDKA_INSTALL_DATADIR
    environment.starterCandidates.emplace_back(BESEDKA_INSTALL_DATADIR);
#endif
#ifdef BESEDKA_SOURCE_DATADIR
    environment.starterCandidates.emplace_back(BESEDKA_SOURCE_DATADIR);
#endif
    return environment;
}

fs::path userDataDirectory(const WorkdirEnvironment& environment) {
    if (environment.xdgDataHome) {
        return fs::path(*environment.xdgDataHome) / "besedka";
    }
    return fs::path(environment.home.value_or(".")) / ".local" / "share" / "besedka";
}

std::optional<fs::path> findStarterData(const WorkdirEnvironment& environment) {
    for (const auto& candidate : environment.starterCandidates) {
        if (!candidate.empty() && holdsBase(candidate)) {
            return candidate.lexically_normal();
        }
    }
    return std::nullopt;
}

namespace {

constexpr std::string_view kStagingPrefix = ".besedka-starter-";

// Makes the folder's new entries durable where the file system can; where it
// cannot, the copy is still whole for this run and the next.
void flushFolder(const fs::path& folder) {
    [[maybe_unused]] const std::error_code unsynced = syncDirectory(folder);
}

bool isStage(const fs::path& entry) {
    return entry.filename().string().starts_with(kStagingPrefix);
}

// Copies the files of `from` into the new folder `stage`, each written and
// flushed with its folder, keeping each file's mode. Says whether every file
// was copied (a full disk stops it).
bool stageCopy(const fs::path& from, const fs::path& stage) {
    std::error_code error;
    for (fs::recursive_directory_iterator it(from, error), end; !error && it != end;
         it.increment(error)) {
        const fs::path target = stage / it->path().lexically_relative(from);
        if (it->is_directory(error)) {
            fs::create_directories(target, error);
        } else if (it->is_regular_file(error)) {
            std::error_code unread;
            const auto bytes = readWholeFile(it->path(), unread);
            fs::create_directories(target.parent_path(), error);
            if (!bytes || writeFileAtomically(target, *bytes, it->path())) {
                return false;
            }
        }
    }
    return !error;
}

// How many regular files `path` is or holds.
int filesAt(const fs::path& path) {
    std::error_code error;
    if (!fs::is_directory(path, error)) {
        return 1;
    }
    int files = 0;
    for (fs::recursive_directory_iterator it(path, error), end; !error && it != end;
         it.increment(error)) {
        files += it->is_regular_file(error) ? 1 : 0;
    }
    return files;
}

// Moves what `stage` holds and `to` lacks into `to`, a folder at a time where
// `to` lacks the folder, and Base last: its arrival says the copy is whole, so
// a Base that is there already is left as it is, whatever it lacks.
int moveMissing(const fs::path& stage, const fs::path& to) {
    std::vector<fs::directory_entry> entries;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(stage, error)) {
        entries.push_back(entry);
    }
    std::stable_partition(entries.begin(), entries.end(), [](const fs::directory_entry& entry) {
        return !sameFileName(entry.path().filename().string(), "Base");
    });
    int moved = 0;
    for (const auto& entry : entries) {
        const fs::path target = PathMap(to).resolve(entry.path().filename().string());
        if (sameFileName(entry.path().filename().string(), "Base")) {
            flushFolder(to); // the others' entries first, so that Base never arrives alone
        }
        if (!fs::exists(target, error)) {
            fs::rename(entry.path(), to / entry.path().filename(), error);
            moved += error ? 0 : filesAt(to / entry.path().filename());
        } else if (!sameFileName(entry.path().filename().string(), "Base") &&
                   entry.is_directory(error) && fs::is_directory(target, error)) {
            moved += moveMissing(entry.path(), target);
        }
    }
    flushFolder(to);
    return moved;
}

// Makes `directory` and the folders above it that are missing, each flushed
// into its parent, so that a power loss cannot take away a working directory
// that has learned. Says whether the directory is there.
bool makeDirectoryDurably(const fs::path& directory) {
    try {
        createDirectoriesDurably(directory);
    } catch (const fs::filesystem_error&) {
        // A failed flush leaves a directory that serves this run all the same.
    }
    std::error_code error;
    return fs::is_directory(directory, error);
}

// Whether `to` holds every entry that `from` holds at its top and no stage:
// the sign that a first start there was finished.
bool holdsStarterEntries(const fs::path& from, const fs::path& to) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(to, error)) {
        if (isStage(entry.path())) {
            return false;
        }
    }
    if (error) {
        return false;
    }
    for (const auto& entry : fs::directory_iterator(from, error)) {
        if (!fs::exists(PathMap(to).resolve(entry.path().filename().string()), error)) {
            return false;
        }
    }
    return !error;
}

} // namespace

int copyMissingFiles(const fs::path& from, const fs::path& to) {
    if (!makeDirectoryDurably(to)) {
        return 0;
    }
    // Stages of runs killed before they were moved into place or removed.
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(to, error)) {
        if (isStage(entry.path())) {
            fs::remove_all(entry.path(), error);
        }
    }
    flushFolder(to);
    std::string pattern = (to / kStagingPrefix).string() + "XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        return 0;
    }
    const fs::path stage(pattern);
    int copied = 0;
    if (stageCopy(from, stage)) { // nothing goes into place from a partial copy
        flushFolder(stage);
        copied = moveMissing(stage, to);
    }
    fs::remove_all(stage, error);
    flushFolder(to);
    return copied;
}

fs::path chooseWorkdir(const std::optional<fs::path>& given,
                       const WorkdirEnvironment& environment) {
    if (given) {
        return *given;
    }
    if (holdsBase(environment.currentDirectory)) {
        return environment.currentDirectory;
    }
    const fs::path data = userDataDirectory(environment);
    // A first start cut short by a kill or a power loss is finished by the next.
    if (const auto starter = findStarterData(environment);
        starter && !holdsStarterEntries(*starter, data)) {
        copyMissingFiles(*starter, data);
    }
    return data;
}

} // namespace besedka
