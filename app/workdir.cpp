#include "workdir.h"

#include "files/path_map.h"

#include <cstdlib>
#include <system_error>

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

int copyMissingFiles(const fs::path& from, const fs::path& to) {
    int copied = 0;
    std::error_code error;
    for (fs::recursive_directory_iterator it(from, error), end; !error && it != end;
         it.increment(error)) {
        const fs::path target = to / it->path().lexically_relative(from);
        if (it->is_directory(error)) {
            fs::create_directories(target, error);
        } else if (it->is_regular_file(error) && !fs::exists(target, error) && !error) {
            fs::create_directories(target.parent_path(), error);
            if (fs::copy_file(it->path(), target, fs::copy_options::skip_existing, error)) {
                ++copied;
            }
        }
    }
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
    if (!holdsBase(data)) {
        if (const auto starter = findStarterData(environment)) {
            std::error_code error;
            fs::create_directories(data, error);
            copyMissingFiles(*starter, data);
        }
    }
    return data;
}

} // namespace besedka
