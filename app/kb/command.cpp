#include "kb/command.h"

#include "kb/subcommands.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <limits>
#include <ostream>

namespace besedka {
namespace {

using kb::Args;

struct Subcommand {
    std::string_view name;
    std::string_view arguments;
    std::size_t minArgs;
    std::size_t maxArgs;
    int (*run)(const Args&, std::ostream&, std::ostream&);
    std::string_view summary;
    std::string_view example;
};

constexpr std::size_t kAnyNumber = std::numeric_limits<std::size_t>::max();

constexpr std::array<Subcommand, 8> kSubcommands{{
    {"lines", "FILE", 1, 1, kb::printLines, "print a knowledge-base file as UTF-8 lines",
     "besedka kb lines Base/W2.Dat"},
    {"from-text", "IN OUT", 2, 2, kb::fromText, "write UTF-8 lines as a knowledge-base file",
     "besedka kb from-text replies.txt Base/W2.Dat"},
    {"check", "[WORKDIR]", 0, 1, kb::checkWorkdir,
     "check the files and the tree's grammar; list suspicious lines", "besedka kb check"},
    {"stats", "[WORKDIR]", 0, 1, kb::showStats,
     "count lines, depths, answers, dialogues and file sizes", "besedka kb stats"},
    {"find", "TEXT [WORKDIR]", 1, 2, kb::findLines,
     "print the tree lines holding TEXT (any case) as N: line", "besedka kb find привет"},
    {"forget", "N... [--dry-run] [WORKDIR]", 1, kAnyNumber, kb::forgetLines,
     "remove tree lines N with their branches", "besedka kb forget 12 40 --dry-run"},
    {"backups", "[WORKDIR]", 0, 1, kb::showBackups,
     "list the backups taken before each run's first save", "besedka kb backups"},
    {"restore", "STAMP [WORKDIR]", 1, 2, kb::restoreBackup,
     "put a backup back, after backing up the current state",
     "besedka kb restore 2026-12-07_12-30-05.123"},
}};

std::string commandLine(const Subcommand& command) {
    std::string line = "besedka kb ";
    line += command.name;
    line += ' ';
    line += command.arguments;
    return line;
}

std::string usageLine() {
    std::string usage = "usage:";
    for (const Subcommand& command : kSubcommands) {
        usage += &command == &kSubcommands.front() ? " " : " | ";
        usage += commandLine(command);
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
    for (const Subcommand& command : kSubcommands) {
        const std::string line = "  " + commandLine(command);
        out << line << std::string(line.size() < kColumn ? kColumn - line.size() : 1, ' ')
            << command.summary << '\n';
    }
    out << "\nKnowledge-base commands work on WORKDIR, by default the current directory; N is a\n"
           "line number as kb check and kb find print it (line 1 is the tree's header). Changes\n"
           "are made under the lock of Base, after a backup into\n"
           "$XDG_STATE_HOME/besedka/backups (~/.local/state/besedka/backups), which keeps the\n"
           "10 newest runs. Errors are one line on stderr with exit status 1, wrong usage 2.\n"
           "\nExamples:\n";
    for (const Subcommand& command : kSubcommands) {
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
    for (const Subcommand& command : kSubcommands) {
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
