#include "kb/support.h"

#include "text/cp1251.h"

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

std::string numberedLine(std::size_t number, std::string_view line) {
    return std::to_string(number) + ": " + cp1251ToUtf8(line);
}

} // namespace besedka::kb
