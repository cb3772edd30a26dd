#include "kb/inputs.h"

#include "curation/document_limit.h"
#include "files/atomic_file.h"
#include "files/file_error.h"
#include "kb/messages.h"
#include "workdir.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <new>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace besedka::kb {
namespace fs = std::filesystem;
namespace {

bool namedBase(const fs::path& path) {
    std::string name = path.filename().string();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name == "base";
}

} // namespace

fs::path workingDirectoryOf(const fs::path& given) {
    std::error_code error;
    fs::path path = fs::absolute(given, error).lexically_normal();
    if (path.filename().empty()) {
        path = path.parent_path(); // "dir/" is "dir"
    }
    if (!fs::is_directory(path, error) && namedBase(path.parent_path())) {
        return path.parent_path().parent_path();
    }
    if (namedBase(path) && !fs::is_directory(path / "Base", error) &&
        !fs::is_directory(path / "base", error)) {
        return path.parent_path();
    }
    return path;
}

std::optional<fs::path> workdirArgument(const Args& args, std::size_t at, std::ostream& err) {
    if (at >= args.size()) {
        return chooseWorkdir(std::nullopt, WorkdirEnvironment::current());
    }
    std::error_code error;
    if (!fs::exists(args[at], error)) {
        fail(err, "no such directory: " + args[at]);
        return std::nullopt;
    }
    const fs::path workdir = workingDirectoryOf(args[at]);
    if (!fs::is_directory(workdir, error)) {
        fail(err, "not a directory: " + args[at]);
        return std::nullopt;
    }
    return workdir;
}

namespace {

constexpr std::size_t kFirstRead = std::size_t{1} << 16;

std::optional<std::string> tooLarge(const std::string& file, std::ostream& err) {
    fail(err, (file == "-" ? std::string("standard input") : file) + " holds more than " +
                  std::string(kMostDocumentSize) +
                  ", the most a document may hold; nothing written");
    return std::nullopt;
}

// Standard input up to one byte past the limit, so that a larger document is
// told from one of the limit's size without being read further; a file given
// as standard input is measured first and not read at all when too large.
std::optional<std::string> readStandardInput(std::ostream& err) {
    struct stat info {};
    const off_t at = ::lseek(STDIN_FILENO, 0, SEEK_CUR);
    if (::fstat(STDIN_FILENO, &info) == 0 && S_ISREG(info.st_mode) && at >= 0 &&
        static_cast<std::uintmax_t>(info.st_size - at) > kMostDocumentBytes) {
        return tooLarge("-", err);
    }
    std::string bytes;
    std::size_t used = 0;
    for (;;) {
        if (used == kMostDocumentBytes) {
            char probe = 0; // one byte more tells a document too large
            const ssize_t more = ::read(STDIN_FILENO, &probe, 1);
            if (more < 0 && errno == EINTR) {
                continue;
            }
            if (more > 0) {
                return tooLarge("-", err);
            }
            break;
        }
        if (used == bytes.size()) {
            bytes.resize(std::min(std::max(2 * used, kFirstRead), kMostDocumentBytes));
        }
        const ssize_t got = ::read(STDIN_FILENO, bytes.data() + used, bytes.size() - used);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            fail(err, "cannot read standard input: " + reasonText({errno, std::system_category()}));
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        used += static_cast<std::size_t>(got);
    }
    bytes.resize(used);
    return bytes;
}

} // namespace

std::optional<std::string> readInput(const std::string& file, std::ostream& err) {
    try {
        if (file == "-") {
            return readStandardInput(err);
        }
        std::error_code reason;
        auto bytes = readWholeFile(file, reason, kMostDocumentBytes);
        if (reason == std::errc::file_too_large) {
            return tooLarge(file, err);
        }
        if (!bytes) {
            fail(err, "cannot read " + file + ": " + reasonText(reason));
        }
        return bytes;
    } catch (const std::bad_alloc&) {
        fail(err, "cannot read " + file + ": out of memory; nothing read");
        return std::nullopt;
    }
}

} // namespace besedka::kb
