#include "kb/inputs.h"

#include "curation/document_limit.h"
#include "files/atomic_file.h"
#include "files/file_error.h"
#include "kb/messages.h"
#include "workdir.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <iostream>
#include <new>
#include <string>

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

std::optional<std::string> tooLarge(const std::string& file, std::ostream& err) {
    fail(err, (file == "-" ? std::string("standard input") : file) + " holds more than " +
                  std::string(kMostDocumentSize) +
                  ", the most a document may hold; nothing written");
    return std::nullopt;
}

// Standard input up to one byte past the limit, so that a larger document is
// told from one of the limit's size without being read whole.
std::optional<std::string> readStandardInput(std::ostream& err) {
    std::string bytes;
    std::array<char, 65536> buffer{};
    while (bytes.size() <= kMostDocumentBytes) {
        const std::size_t wanted = std::min(buffer.size(), kMostDocumentBytes + 1 - bytes.size());
        std::cin.read(buffer.data(), static_cast<std::streamsize>(wanted));
        if (std::cin.gcount() == 0) {
            break;
        }
        bytes.append(buffer.data(), static_cast<std::size_t>(std::cin.gcount()));
    }
    if (std::cin.bad()) {
        fail(err, "cannot read standard input");
        return std::nullopt;
    }
    if (bytes.size() > kMostDocumentBytes) {
        return tooLarge("-", err);
    }
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
