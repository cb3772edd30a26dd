#include "kb/command.h"

#include "kb/catalogue.h"

#include <cerrno>
#include <cstring>
#include <ostream>

namespace besedka {
namespace {

using kb::Args;
using kb::Subcommand;

std::string usageLine() {
    std::string usage = "usage:";
    for (const Subcommand& command : kb::subcommands()) {
        usage += &command == &kb::subcommands().front() ? " " : " | ";
        usage += kb::commandLine(command);
    }
    return usage;
}

// A listing cut short by a full disk must not pass for a whole one.
bool outputWritten(std::ostream& out, std::ostream& err) {
    out.flush();
    if (out) {
        return true;
    }
    const int error = errno;
    kb::fail(err, error == 0 ? std::string("cannot write the output")
                             : std::string("cannot write the output: ") + std::strerror(error));
    return false;
}

} // namespace

namespace kb {

int usageError(std::ostream& err, std::string_view problem) {
    err << "besedka kb: " << problem << "; " << usageLine() << '\n';
    return kUsageError;
}

} // namespace kb

void printKbHelp(std::ostream& out) {
    constexpr std::size_t kColumn = 46;
    for (const Subcommand& command : kb::subcommands()) {
        const std::string line = "  " + kb::commandLine(command);
        out << line << std::string(line.size() < kColumn ? kColumn - line.size() : 1, ' ')
            << command.summary << '\n';
    }
    out << "\nKnowledge-base commands work on WORKDIR, by default the current directory; N is a\n"
           "line number as kb check and kb find print it (line 1 is the tree's header). Changes\n"
           "are made under the lock of Base, after a backup into\n"
           "$XDG_STATE_HOME/besedka/backups (~/.local/state/besedka/backups), which keeps the\n"
           "10 newest runs. Errors are one line on stderr with exit status 1, wrong usage 2.\n"
           "\nExamples:\n";
    for (const Subcommand& command : kb::subcommands()) {
        out << "  " << command.example << '\n';
    }
}

int runKbCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        return kb::usageError(err, "no subcommand");
    }
    if (args[0] == "help" || args[0] == "--help" || args[0] == "-h") {
        printKbHelp(out);
        return kb::kSuccess;
    }
    const Args rest(args.begin() + 1, args.end());
    for (const Subcommand& command : kb::subcommands()) {
        if (args[0] != command.name) {
            continue;
        }
        if (rest.size() < command.minArgs || rest.size() > command.maxArgs) {
            return kb::usageError(err, "wrong number of arguments for " + args[0]);
        }
        errno = 0;
        const int status = command.run(rest, out, err);
        return outputWritten(out, err) ? status : kb::kFailure;
    }
    return kb::usageError(err, "unknown subcommand \"" + args[0] + "\"");
}

} // namespace besedka
