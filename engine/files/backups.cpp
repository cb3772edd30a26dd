#include "files/backups.h"

#include "files/file_store.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <system_error>

namespace besedka {
namespace fs = std::filesystem;
namespace {

std::optional<fs::path> stateHome() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && fs::path(state).is_absolute()) {
        return fs::path(state);
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return fs::path(home) / ".local" / "state";
    }
    return std::nullopt;
}

// A short, stable name for a path (FNV-1a), so that two working directories
// of the same name keep apart.
std::string shortHash(const std::string& text) {
    std::uint32_t hash = 2166136261u;
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08x", hash);
    return digits;
}

std::string stampOf(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() %
        1000;
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d_%02d-%02d-%02d.%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(milliseconds));
    return text;
}

// A stamp not yet taken in `folder`.
std::string freshStamp(const fs::path& folder) {
    auto when = std::chrono::system_clock::now();
    while (fs::exists(folder / stampOf(when))) {
        when += std::chrono::milliseconds(1);
    }
    return stampOf(when);
}

void removeOldBackups(const fs::path& folder) {
    const std::vector<std::string> stamps = listBackups(folder);
    for (std::size_t i = 0; i + kBackupsKept < stamps.size(); ++i) {
        fs::remove_all(folder / stamps[i]);
    }
    // Half-made copies of killed runs.
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with(".partial-")) {
            fs::remove_all(entry.path());
        }
    }
}

} // namespace

std::optional<fs::path> backupFolder(const fs::path& workdir) {
    const auto home = stateHome();
    if (!home) {
        return std::nullopt;
    }
    std::error_code error;
    fs::path path = fs::weakly_canonical(fs::absolute(workdir, error), error);
    if (error) {
        path = fs::absolute(workdir).lexically_normal();
    }
    const std::string name = path.filename().empty() ? "root" : path.filename().string();
    return *home / "besedka" / "backups" / (name + "-" + shortHash(path.string()));
}

std::string takeBackup(const fs::path& base, const fs::path& folder) {
    fs::create_directories(folder);
    // Copied aside first and renamed whole, so that a killed run leaves no
    // backup that looks complete.
    std::string partial = (folder / ".partial-XXXXXX").string();
    if (::mkdtemp(partial.data()) == nullptr) {
        throw fs::filesystem_error("cannot make a backup folder", folder,
                                   std::error_code(errno, std::system_category()));
    }
    for (const auto& entry : fs::directory_iterator(base)) {
        if (entry.is_regular_file() && !entry.path().filename().string().starts_with('.')) {
            fs::copy_file(entry.path(), fs::path(partial) / entry.path().filename());
        }
    }
    const std::string stamp = freshStamp(folder);
    fs::rename(partial, folder / stamp);
    removeOldBackups(folder);
    return stamp;
}

std::vector<std::string> listBackups(const fs::path& folder) {
    std::vector<std::string> stamps;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with('.') && it->is_directory(error)) {
            stamps.push_back(name);
        }
    }
    std::sort(stamps.begin(), stamps.end());
    return stamps;
}

void backUpKnowledgeBase(const fs::path& workdir, const fs::path& base,
                         const ProblemReport& report) {
    const auto tell = [&report](const std::string& problem) {
        if (report) {
            report(problem);
        }
    };
    const auto folder = backupFolder(workdir);
    if (!folder) {
        tell("no backup made: neither XDG_STATE_HOME nor HOME is set");
        return;
    }
    try {
        takeBackup(base, *folder);
    } catch (const fs::filesystem_error& error) {
        tell(std::string("no backup made: ") + error.what());
    }
}

void backUpBeforeFirstWrite(FileStore& files, ProblemReport report) {
    files.setBeforeFirstWrite(
        [workdir = files.paths().workdir(), base = files.paths().resolve("Base"),
         report = std::move(report)] { backUpKnowledgeBase(workdir, base, report); });
}

} // namespace besedka
