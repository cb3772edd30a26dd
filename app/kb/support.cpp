#include "kb/support.h"

#include "text/cp1251.h"
#include "files/file_error.h"

#include <ostream>

namespace besedka::kb {
namespace fs = std::filesystem;

int fail(std::ostream& err, std::string_view message) {
    err << "besedka kb: " << message << '\n';
    return kFailure;
}

std::string withReason(const std::string& what, const std::error_code& reason) {
    return what + ": " + reasonText(reason);
}

ProblemReport problemReport(std::ostream& err) {
    return [&err](const std::string& problem) { err << "besedka kb: " << problem << '\n'; };
}

LockWaitObserver waitingMessage(std::ostream& err) {
    return [&err](bool waiting) {
        if (waiting) {
            err << "besedka kb: waiting for another besedka to finish with Base...\n" << std::flush;
        }
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

std::string numberedLine(std::size_t index, std::string_view line) {
    return std::to_string(index + 1) + ": " + cp1251ToUtf8(line);
}

std::optional<StringList> loadTreeOrReport(const FileStore& files, std::ostream& err) {
    StringList tree;
    try {
        tree.load(files, kTreeFile);
    } catch (const FileError& error) {
        fail(err, cp1251ToUtf8(error.what()));
        return std::nullopt;
    }
    return tree;
}

} // namespace besedka::kb
