#include "files/atomic_file.h"

#include "files/file_attributes.h"
#include "files/file_descriptor.h"
#include "files/file_error.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace besedka {
namespace fs = std::filesystem;
namespace {

// The mark between a file's name and the random part of its temporary.
constexpr std::string_view kTemporaryMark = ".besedka-";
constexpr std::chrono::minutes kForeignTemporaryAge{5};

constexpr int kMostLinksFollowed = 40; // as the kernel's own limit

std::error_code lastError() {
    return {errno, std::system_category()};
}

[[nodiscard]] bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Writes in pieces and starts each piece on its way to the disk at once, so
// the disk works while the rest is copied and the flush that follows has less
// left to wait for.
[[nodiscard]] bool writeAllToDisk(int fd, std::string_view bytes) {
    constexpr std::size_t kPiece = 1 << 20;
    off_t offset = 0;
    while (!bytes.empty()) {
        const std::string_view piece = bytes.substr(0, kPiece);
        if (!writeAll(fd, piece)) {
            return false;
        }
        // Only a hint: where the system cannot, the flush does it all.
        ::sync_file_range(fd, offset, static_cast<off_t>(piece.size()), SYNC_FILE_RANGE_WRITE);
        offset += static_cast<off_t>(piece.size());
        bytes.remove_prefix(piece.size());
    }
    return true;
}

// The last close of a replaced file frees its pages and blocks, about a
// millisecond for every 6 MB; a thread of its own does that while the
// exchange goes on.
void closeInBackground(int fd) {
    try {
        std::thread([fd] { ::close(fd); }).detach();
    } catch (const std::system_error&) {
        ::close(fd);
    }
}

// A FIFO or a device takes the bytes as they are; it is never replaced. A FIFO
// without a reader is refused rather than waited for.
[[nodiscard]] std::error_code writeInPlace(const fs::path& path, std::string_view bytes) {
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        return lastError();
    }
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0 ||
        !writeAll(fd.get(), bytes)) {
        return lastError();
    }
    return fd.close() ? std::error_code() : lastError();
}

// Writes `bytes` to a new temporary beside `path` and flushes it, with the
// owner, attributes and mode of `model`; the temporary's path goes to
// `temporary`, and nothing is left behind on a failure.
[[nodiscard]] std::error_code writeTemporary(const fs::path& path, std::string_view bytes,
                                             const fs::path& model, fs::path& temporary) {
    // Appended piece by piece: "." + a temporary string trips a false overlap
    // warning in GCC 12's optimised builds.
    std::string name = path.filename().string();
    name.insert(0, 1, '.');
    name += kTemporaryMark;
    name += "XXXXXX";
    std::string made = (directoryOf(path) / name).string();
    FileDescriptor fd(::mkstemp(made.data()));
    if (!fd.valid()) {
        return lastError();
    }
    std::error_code reason;
    if (!writeAllToDisk(fd.get(), bytes)) {
        reason = lastError();
    } else if (const auto unkept = copyFileAttributes(model, fd.get())) {
        reason = unkept;
    } else if (::fsync(fd.get()) != 0) {
        reason = lastError();
    }
    if (!fd.close() && !reason) {
        reason = lastError();
    }
    if (reason) {
        ::unlink(made.c_str());
        return reason;
    }
    temporary = made;
    return {};
}

// `model` is the file whose owner, attributes and mode the new one gets.
[[nodiscard]] std::error_code replaceRegularFile(const fs::path& path, std::string_view bytes,
                                                 const fs::path& model) {
    fs::path temporary;
    if (const auto reason = writeTemporary(path, bytes, model, temporary)) {
        return reason;
    }
    if (const auto reason = renameIntoPlace(temporary, path)) {
        ::unlink(temporary.c_str());
        return reason;
    }
    return syncDirectory(directoryOf(path));
}

// Whether `name` is ".OF" + `mark` + six letters or digits, as mkstemp makes.
bool isTemporaryName(std::string_view name, std::string_view of, std::string_view mark) {
    constexpr std::size_t kRandom = 6;
    if (name.size() != 1 + of.size() + mark.size() + kRandom || name[0] != '.' ||
        name.substr(1, of.size()) != of || name.substr(1 + of.size(), mark.size()) != mark) {
        return false;
    }
    const std::string_view random = name.substr(name.size() - kRandom);
    return std::all_of(random.begin(), random.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

// The program's own temporaries always go. Those of its earlier versions
// (".NAME.XXXXXX") are also the names other tools (rsync) give a file they are
// still writing, so they go only when nothing has written them for a while.
bool isLeftover(const fs::directory_entry& entry, std::string_view of) {
    const std::string name = entry.path().filename().string();
    if (isTemporaryName(name, of, kTemporaryMark)) {
        return true;
    }
    std::error_code error;
    const auto written = entry.last_write_time(error);
    return isTemporaryName(name, of, ".") && !error &&
           fs::file_time_type::clock::now() - written > kForeignTemporaryAge;
}

std::size_t removeTemporariesOf(const fs::path& file) {
    std::size_t removed = 0;
    const std::string name = file.filename().string();
    std::error_code error;
    for (fs::directory_iterator it(directoryOf(file), error), end; !error && it != end;
         it.increment(error)) {
        if (isLeftover(*it, name) && it->is_regular_file(error) && fs::remove(it->path(), error)) {
            ++removed;
        }
    }
    return removed;
}

} // namespace

std::error_code renameIntoPlace(const fs::path& temporary, const fs::path& target) {
    // Held open over the rename, so that the file replaced is freed later.
    FileDescriptor replaced(::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        return lastError();
    }
    if (replaced.valid()) {
        closeInBackground(replaced.release());
    }
    return {};
}

bool isTemporaryFor(std::string_view name, std::string_view of) {
    return isTemporaryName(name, of, kTemporaryMark);
}

std::error_code stageFileReplacement(const fs::path& path, std::string_view bytes,
                                     const fs::path& model, StagedFile& staged) {
    std::error_code reason;
    staged = StagedFile{followLinks(path, reason), {}};
    if (reason) {
        return reason;
    }
    struct stat info {};
    if (::stat(staged.target.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            return lastError();
        }
        return writeTemporary(staged.target, bytes, model.empty() ? staged.target : model,
                              staged.temporary);
    }
    if (S_ISDIR(info.st_mode)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    if (!S_ISREG(info.st_mode)) {
        return {}; // written in place when the change is made
    }
    if (::faccessat(AT_FDCWD, staged.target.c_str(), W_OK, AT_EACCESS) != 0) {
        return lastError();
    }
    return writeTemporary(staged.target, bytes, staged.target, staged.temporary);
}

std::error_code writeStagedInPlace(const StagedFile& staged, std::string_view bytes) {
    return writeInPlace(staged.target, bytes);
}

std::error_code syncDirectory(const fs::path& directory) {
    const FileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid() && ::fsync(dir.get()) != 0 && errno != EINVAL) {
        return lastError();
    }
    return {};
}

void createDirectoriesDurably(const fs::path& directory) {
    std::vector<fs::path> missing;
    for (fs::path level = directory; !level.empty() && !fs::exists(level);
         level = level.parent_path()) {
        missing.push_back(level);
        if (level == level.parent_path()) {
            break;
        }
    }
    for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
        std::error_code reason;
        if (!fs::create_directory(*level, reason) && reason) {
            throw fs::filesystem_error("cannot create the folder", *level, reason);
        }
        if (const auto unsynced = syncDirectory(directoryOf(*level))) {
            throw fs::filesystem_error("cannot flush the folder", directoryOf(*level), unsynced);
        }
    }
}

fs::path directoryOf(const fs::path& path) {
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

fs::path followLinks(fs::path path, std::error_code& reason) {
    for (int links = 0; links < kMostLinksFollowed; ++links) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return path;
        }
        if (info.st_uid != ::geteuid() && info.st_uid != 0) {
            reason = linkOfAnotherUser();
            return path;
        }
        const fs::path target = fs::read_symlink(path, reason);
        if (reason) {
            return path;
        }
        path = target.is_absolute() ? target : directoryOf(path) / target;
    }
    reason = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    return path;
}

std::optional<std::string> readWholeFile(const fs::path& path, std::error_code& reason,
                                         std::size_t limit) {
    reason.clear();
    const fs::path target = followLinks(path, reason);
    if (reason) {
        return std::nullopt;
    }
    // Non-blocking, so that a FIFO does not wait for a writer before its type
    // is seen; not through a link put there since the links were looked at.
    const FileDescriptor fd(::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW));
    if (!fd.valid()) {
        reason = lastError();
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        reason = lastError();
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        reason = S_ISDIR(info.st_mode) ? std::make_error_code(std::errc::is_a_directory)
                                       : notARegularFile();
        return std::nullopt;
    }
    const auto tooLarge = [&reason] {
        reason = std::make_error_code(std::errc::file_too_large);
        return std::nullopt;
    };
    if (static_cast<std::uintmax_t>(info.st_size) > limit) {
        return tooLarge();
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            reason = lastError();
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        if (static_cast<std::size_t>(got) > limit - bytes.size()) {
            return tooLarge(); // it grew while read
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
}

std::error_code writeFileAtomically(const fs::path& path, std::string_view bytes,
                                    const fs::path& model) {
    std::error_code reason;
    const fs::path target = followLinks(path, reason);
    if (reason) {
        return reason;
    }
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            return lastError();
        }
        return replaceRegularFile(target, bytes, model.empty() ? target : model);
    }
    if (S_ISDIR(info.st_mode)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    if (!S_ISREG(info.st_mode)) {
        return writeInPlace(target, bytes);
    }
    // The rename would replace a read-only file too: only the directory's
    // permission counts for it.
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        return lastError();
    }
    return replaceRegularFile(target, bytes, target);
}

std::size_t removeLeftoverTemporaries(const fs::path& directory) {
    std::size_t removed = 0;
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with('.')) {
            continue;
        }
        std::error_code ignored;
        removed += removeTemporariesOf(followLinks(it->path(), ignored));
    }
    return removed;
}

} // namespace besedka
