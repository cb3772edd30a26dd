#include "kb/support.h"

#include "files/atomic_file.h"
#include "files/file_error.h"
#include "text/cp1251.h"
#include "text/russian.h"
#include "workdir.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <iterator>
#include <ostream>
#include <string>
#include <unistd.h>

namespace besedka::kb {
namespace fs = std::filesystem;

int fail(std::ostream& err, std::string_view message) {
    err << "besedka kb: " << message << '\n';
    return kFailure;
}

Feedback feedbackOn(std::ostream& err) {
    return {
        [&err](bool waiting) {
            if (waiting) {
                err << "besedka kb: waiting for another besedka to finish with Base...\n"
                    << std::flush;
            }
        },
        [&err](const std::string& problem) { err << "besedka kb: " << problem << '\n'; },
    };
}

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

std::string inWorkdir(const fs::path& workdir) {
    return " (working directory " + workdir.string() + ")";
}

std::string numberedLine(std::size_t number, std::string_view line) {
    return std::to_string(number) + ": " + cp1251ToUtf8(line);
}

std::string shellQuoted(std::string_view word) {
    const auto plain = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 ||
               std::string_view("/._-+=:,@%").find(c) != std::string_view::npos;
    };
    if (!word.empty() && std::all_of(word.begin(), word.end(), plain)) {
        return std::string(word);
    }
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

bool inputIsTerminal() {
    return ::isatty(STDIN_FILENO) != 0;
}

bool confirmed(const std::string& question, std::ostream& out) {
    out << question << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        out << '\n';
        return false;
    }
    std::string upper = cyrillicUpper(utf8ToCp1251(answer));
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
        return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    });
    for (const char* yes : {"Y", "YES", "\xC4", "\xC4\xC0"}) { // Д, ДА
        if (upper == yes) {
            return true;
        }
    }
    return false;
}

} // namespace besedka::kb
