#include "kb/inputs.h"

#include "files/atomic_file.h"
#include "files/file_error.h"
#include "kb/messages.h"
#include "workdir.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <iterator>
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

// The working directory that `given` names: itself, or the one that holds it
// when it is Base or a file in Base.
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

} // namespace

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

std::optional<std::string> readInput(const std::string& file, std::ostream& err) {
    if (file == "-") {
        std::string bytes{std::istreambuf_iterator<char>(std::cin), {}};
        if (std::cin.bad()) {
            fail(err, "cannot read standard input");
            return std::nullopt;
        }
        return bytes;
    }
    std::error_code reason;
    auto bytes = readWholeFile(file, reason);
    if (!bytes) {
        fail(err, "cannot read " + file + ": " + reasonText(reason));
    }
    return bytes;
}

} // namespace besedka::kb
