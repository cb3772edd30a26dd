#include "kb/support.h"

#include "files/atomic_file.h"
#include "files/file_error.h"
#include "text/cp1251.h"

#include <iostream>
#include <iterator>
#include <ostream>

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

std::optional<fs::path> workdirArgument(const Args& args, std::size_t at, std::ostream& err) {
    const fs::path workdir = at < args.size() ? fs::path(args[at]) : fs::path(".");
    std::error_code error;
    if (!fs::is_directory(workdir, error)) {
        fail(err, "no such directory: " + workdir.string());
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

std::string numberedLine(std::size_t number, std::string_view line) {
    return std::to_string(number) + ": " + cp1251ToUtf8(line);
}

} // namespace besedka::kb
