#include "files/backups.h"

#include "files/atomic_file.h"
#include "files/backup_record.h"
#include "files/file_attributes.h"
#include "files/file_descriptor.h"
#include "files/file_store.h"
#include "files/restore_journal.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace besedka {
namespace fs = std::filesystem;
namespace {

constexpr std::size_t kLongestFileName = 255;
constexpr const char* kOriginFile = ".origin";
// A hidden file, so that no restore takes it for a copy of Base.
constexpr const char* kReasonFile = ".reason";

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

// At most `bytes` bytes of `name`, not cutting a UTF-8 character in two.
std::string cutToFit(const std::string& name, std::size_t bytes) {
    if (name.size() <= bytes) {
        return name;
    }
    std::size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) {
        --end;
    }
    return name.substr(0, end);
}

// What a backup's name tells of its order: older versions' local-time names
// come first, among themselves by name; then the numbered ones by number.
struct BackupOrder {
    bool numbered = false;
    unsigned long long number = 0;
    std::string name;
    bool operator<(const BackupOrder& other) const {
        if (numbered != other.numbered) {
            return !numbered;
        }
        return numbered ? number < other.number : name < other.name;
    }
};

bool digitsAt(const std::string& text, std::size_t at, std::size_t count) {
    return at + count <= text.size() &&
           std::all_of(text.begin() + static_cast<std::ptrdiff_t>(at),
                       text.begin() + static_cast<std::ptrdiff_t>(at + count),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// "YYYY-MM-DD_HH-MM-SS" at the start of `name`.
bool startsWithTime(const std::string& name) {
    return digitsAt(name, 0, 4) && name[4] == '-' && digitsAt(name, 5, 2) && name[7] == '-' &&
           digitsAt(name, 8, 2) && name[10] == '_' && digitsAt(name, 11, 2) && name[13] == '-' &&
           digitsAt(name, 14, 2) && name[16] == '-' && digitsAt(name, 17, 2);
}

std::optional<BackupOrder> orderOf(const std::string& name) {
    constexpr std::size_t kTime = 19;
    if (name.size() < kTime + 3 || !startsWithTime(name)) {
        return std::nullopt;
    }
    if (name.size() == kTime + 4 && name[kTime] == '.' && digitsAt(name, kTime + 1, 3)) {
        return BackupOrder{false, 0, name};
    }
    const std::size_t digits = name.size() - kTime - 2;
    if (name.compare(kTime, 2, "Z-") == 0 && digits <= 18 && digitsAt(name, kTime + 2, digits)) {
        return BackupOrder{true, std::stoull(name.substr(kTime + 2)), name};
    }
    return std::nullopt;
}

std::string stampOf(std::chrono::system_clock::time_point when, unsigned long long number) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d_%02d-%02d-%02dZ-%llu", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, number);
    return text;
}

unsigned long long nextNumber(const fs::path& folder) {
    unsigned long long last = 0;
    for (const std::string& stamp : listBackups(folder)) {
        const auto order = orderOf(stamp);
        if (order && order->numbered) {
            last = std::max(last, order->number);
        }
    }
    return last + 1;
}

// Renames without replacing: a backup of the same name is never overwritten.
[[nodiscard]] bool renameNew(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno == EEXIST) {
        return false;
    }
    throw fs::filesystem_error("cannot name the backup", from, to,
                               std::error_code(errno, std::system_category()));
}

void recordOrigin(const fs::path& folder, const fs::path& workdir) {
    const std::string origin = fs::absolute(workdir).lexically_normal().string() + "\n";
    if (backupOrigin(folder).value_or("") + "\n" == origin) {
        return;
    }
    if (const auto reason = writeFileAtomically(folder / kOriginFile, origin)) {
        throw fs::filesystem_error("cannot record the backups' origin", folder / kOriginFile,
                                   reason);
    }
}

bool isLeftover(const std::string& name) {
    return name.starts_with(".partial-") || name.starts_with(".retired-");
}

void removeLeftovers(const fs::path& folder) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (isLeftover(it->path().filename().string())) {
            std::error_code ignored;
            fs::remove_all(it->path(), ignored);
        }
    }
}

} // namespace

std::optional<fs::path> backupsRoot() {
    const auto home = stateHome();
    if (!home) {
        return std::nullopt;
    }
    return *home / "besedka" / "backups";
}

std::optional<fs::path> findBackupFolder(const fs::path& workdir) {
    const auto root = backupsRoot();
    if (!root) {
        return std::nullopt;
    }
    std::error_code error;
    fs::path path = fs::absolute(workdir, error);
    if (!error) {
        path = fs::weakly_canonical(path, error);
    }
    if (error) {
        path = (fs::current_path(error) / workdir).lexically_normal();
    }
    const std::string hash = "-" + shortHash(path.string());
    const std::string name = path.filename().empty() ? "root" : path.filename().string();
    return *root / (cutToFit(name, kLongestFileName - hash.size()) + hash);
}

std::optional<std::string> backupOrigin(const fs::path& folder) {
    std::error_code reason;
    auto text = readWholeFile(folder / kOriginFile, reason);
    if (!text || text->empty() || text->back() != '\n') {
        return std::nullopt;
    }
    text->pop_back();
    return text;
}

namespace {

// Flushes a file or a folder to the disk, giving a copy first the owner,
// group, extended attributes and mode of `original`, so that the copy, and
// what a restore makes of it, keep them; throws filesystem_error.
void syncToDisk(const fs::path& path, const fs::path& original = {}) {
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    std::error_code reason;
    if (!fd.valid()) {
        reason.assign(errno, std::system_category());
    } else if (!original.empty()) {
        reason = copyFileAttributes(original, fd.get());
    }
    if (!reason && ::fsync(fd.get()) != 0) {
        reason.assign(errno, std::system_category());
    }
    if (reason) {
        throw fs::filesystem_error("cannot flush the backup", path, reason);
    }
}

// A copy just made, read back for the backup's record.
std::string readCopy(const fs::path& copy) {
    std::error_code reason;
    auto bytes = readWholeFile(copy, reason);
    if (!bytes) {
        throw fs::filesystem_error("cannot read the backup", copy, reason);
    }
    return std::move(*bytes);
}

} // namespace

std::string takeBackup(const fs::path& base, const fs::path& folder, const fs::path& workdir,
                       const std::string& reason) {
    createDirectoriesDurably(folder);
    recordOrigin(folder, workdir);
    // Copied aside first and renamed whole, so that a killed run leaves no
    // backup that looks complete.
    std::string partial = (folder / ".partial-XXXXXX").string();
    if (::mkdtemp(partial.data()) == nullptr) {
        throw fs::filesystem_error("cannot make a backup folder", folder,
                                   std::error_code(errno, std::system_category()));
    }
    BackupRecord record;
    for (const auto& entry : fs::directory_iterator(base)) {
        if (entry.is_regular_file() && isBackupCopy(entry.path())) {
            const fs::path copy = fs::path(partial) / entry.path().filename();
            // Through the links the program follows anywhere: not one that
            // another user planted to have a file of ours copied.
            std::error_code refused;
            const fs::path source = followLinks(entry.path(), refused);
            if (refused) {
                throw fs::filesystem_error("cannot copy", entry.path(), refused);
            }
            fs::copy_file(source, copy);
            syncToDisk(copy, entry.path());
            record.add(copy.filename().string(), readCopy(copy));
        }
    }
    writeBackupRecord(partial, record);
    if (!reason.empty()) {
        if (const auto failure =
                writeFileAtomically(fs::path(partial) / kReasonFile, reason + "\n")) {
            throw fs::filesystem_error("cannot record the backup's reason",
                                       fs::path(partial) / kReasonFile, failure);
        }
    }
    // On disk, copies, their record and folder, before the rename makes it a
    // backup: the save that follows may retire the oldest one.
    syncToDisk(partial);
    for (unsigned long long number = nextNumber(folder);; ++number) {
        const std::string stamp = stampOf(std::chrono::system_clock::now(), number);
        if (renameNew(partial, folder / stamp)) {
            syncToDisk(folder);
            return stamp;
        }
    }
}

std::optional<std::string> backupReason(const fs::path& backup) {
    std::error_code reason;
    auto text = readWholeFile(backup / kReasonFile, reason);
    if (!text || text->empty() || text->back() != '\n') {
        return std::nullopt;
    }
    text->pop_back();
    return text;
}

std::vector<std::string> listBackups(const fs::path& folder) {
    std::vector<BackupOrder> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const auto order = orderOf(it->path().filename().string());
        if (order && it->is_directory(error)) {
            found.push_back(*order);
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> stamps;
    for (const BackupOrder& order : found) {
        stamps.push_back(order.name);
    }
    return stamps;
}

void retireOldBackups(const fs::path& folder, const std::vector<std::string>& kept) {
    const std::vector<std::string> stamps = listBackups(folder);
    const auto pending = unfinishedRestore(folder);
    const auto spared = [&](const std::string& stamp) {
        return std::find(kept.begin(), kept.end(), stamp) != kept.end() ||
               (pending && *pending == folder / stamp);
    };
    std::size_t excess = stamps.size() > kBackupsKept ? stamps.size() - kBackupsKept : 0;
    for (std::size_t i = 0; i < stamps.size() && excess > 0; ++i) {
        if (spared(stamps[i])) {
            continue;
        }
        std::string retired = (folder / ".retired-XXXXXX").string();
        if (::mkdtemp(retired.data()) == nullptr) {
            return;
        }
        std::error_code error;
        fs::rename(folder / stamps[i], fs::path(retired) / stamps[i], error);
        --excess;
    }
    // The renames reach the disk before any file goes, so that a power loss
    // never leaves a backup listed under its stamp with part of its files.
    if (syncDirectory(folder)) {
        return;
    }
    removeLeftovers(folder);
}

std::optional<TakenBackup> backUpKnowledgeBase(const fs::path& workdir, const fs::path& base,
                                               const ProblemReport& report,
                                               const std::string& reason) {
    const auto tell = [&report](const BackupProblem& problem) {
        if (report) {
            report(problem);
        }
    };
    using Cause = BackupProblem::Cause;
    const auto folder = findBackupFolder(workdir);
    if (!folder) {
        tell(
            {Cause::NoStateHome, {}, {}, "no backup made: neither XDG_STATE_HOME nor HOME is set"});
        return std::nullopt;
    }
    try {
        return TakenBackup{*folder, takeBackup(base, *folder, workdir, reason)};
    } catch (const fs::filesystem_error& error) {
        tell({Cause::File, error.path1(), error.code(),
              std::string("no backup made: ") + error.what()});
    } catch (const std::bad_alloc&) {
        tell({Cause::OutOfMemory, {}, {}, "no backup made: out of memory"});
    }
    return std::nullopt;
}

void backUpBeforeFirstWrite(FileStore& files, ProblemReport report, std::string reason) {
    auto taken = std::make_shared<std::optional<TakenBackup>>();
    files.setBeforeFirstWrite([taken, workdir = files.paths().workdir(),
                               base = files.paths().resolve("Base"), report = std::move(report),
                               reason = std::move(reason)] {
        *taken = backUpKnowledgeBase(workdir, base, report, reason);
    });
    files.setAfterFirstWrite([taken] {
        if (*taken) {
            retireOldBackups((*taken)->folder, {(*taken)->stamp});
        }
    });
}

} // namespace besedka
