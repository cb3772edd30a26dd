#include "kb/command.h"

#include "curation/document_limit.h"
#include "files/directory_lock.h"
#include "help_layout.h"
#include "kb/argument_parser.h"
#include "kb/catalogue.h"
#include "kb/messages.h"
#include "start_options.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <ostream>
#include <poll.h>
#include <unistd.h>

namespace besedka {
namespace {

using kb::Args;
using kb::Subcommand;

const Subcommand* findSubcommand(std::string_view name) {
    const auto all = kb::subcommands();
    const auto found =
        std::find_if(all.begin(), all.end(), [&](const Subcommand& c) { return c.name == name; });
    return found == all.end() ? nullptr : &*found;
}

std::string names() {
    std::string list;
    for (const Subcommand& command : kb::subcommands()) {
        list += list.empty() ? "" : ", ";
        list += command.name;
    }
    return list;
}

void printSubcommandHelp(const Subcommand& command, std::ostream& out) {
    const std::string start = "Usage: besedka kb " + std::string(command.name) + " ";
    out << wrapped(start, kb::usageWords(command), columnsOf(start)) << '\n'
        << command.summary << "\n\n";
    if (!command.details.empty()) {
        out << command.details << "\n\n";
    }
    constexpr std::size_t kNoteColumn = 16;
    for (const kb::Argument* argument : kb::kArgumentsInHelpOrder) {
        if (command.takes(*argument)) {
            const std::string_view word = argument->name;
            const std::string name =
                "  " + std::string(word) +
                std::string(word.size() + 3 < kNoteColumn ? kNoteColumn - 2 - word.size() : 1, ' ');
            out << wrapped(name, argument->note, kNoteColumn);
        }
    }
    out << "\nExample: " << command.example << '\n';
}

// Whether the standard output is a pipe that nobody reads any more.
bool readerGone() {
    pollfd output{STDOUT_FILENO, POLLOUT, 0};
    return ::poll(&output, 1, 0) == 1 && (output.revents & POLLERR) != 0;
}

// A listing cut short by a full disk must not pass for a whole one; a reader
// that stopped reading (kb lines | head) wanted no more of it.
bool outputWritten(std::ostream& out, std::ostream& err) {
    out.flush();
    if (out) {
        return true;
    }
    const int error = errno;
    if (error == EPIPE || (&out == &std::cout && readerGone())) {
        return true;
    }
    kb::fail(err, error == 0 ? std::string("cannot write the output")
                             : std::string("cannot write the output: ") + std::strerror(error));
    return false;
}

int runSubcommand(const Subcommand& command, const Args& given, std::ostream& out,
                  std::ostream& err) {
    if (std::any_of(given.begin(), given.end(), asksForHelp)) {
        printSubcommandHelp(command, out);
        return outputWritten(out, err) ? kb::kSuccess : kb::kFailure;
    }
    const auto args = kb::parseArgs(command, given, err);
    if (!args) {
        return kb::kUsageError;
    }
    const UnsharedLockListener unshared([&err](const std::filesystem::path& directory) {
        kb::fail(err, unsharedLockNotice(directory));
    });
    errno = 0;
    const int status = command.run(*args, out, err);
    return outputWritten(out, err) ? status : kb::kFailure;
}

} // namespace

namespace kb {

int usageError(std::ostream& err, std::string_view problem) {
    // A problem of one subcommand starts with its name: "forget: ...".
    const Subcommand* command = findSubcommand(problem.substr(0, problem.find(':')));
    err << "besedka kb: " << problem << "; usage: ";
    if (command != nullptr) {
        err << commandLine(*command) << " (see besedka kb " << command->name << " --help)\n";
    } else {
        err << "besedka kb SUBCOMMAND ... with SUBCOMMAND one of " << names()
            << " (see besedka kb --help)\n";
    }
    return kUsageError;
}

} // namespace kb

namespace {

// The subcommands, each with its usage and summary; then what they share, the
// details some of them have, and an example of each.
void printKbSubcommands(std::ostream& out) {
    for (const Subcommand& command : kb::subcommands()) {
        std::string usage = "kb " + std::string(command.name);
        for (const std::string& word : kb::usageWords(command)) {
            usage += " " + word;
        }
        out << helpEntry(usage, command.summary);
    }
    out << '\n'
        << wrapped(
               "",
               "Knowledge-base commands work on WORKDIR (also --workdir DIR), by default the "
               "directory the chat and the window use: the current directory when it holds "
               "Base, else ~/.local/share/besedka. N is a line number as kb check and kb find "
               "print it (line 1 is the tree's header); --expect LINE after it removes the line "
               "only while it still holds LINE, and on a terminal kb forget asks first (--yes "
               "does not). Changes are made under the lock of Base, after a backup into "
               "$XDG_STATE_HOME/besedka/backups (~/.local/state/besedka/backups), which keeps "
               "the 10 newest; no backup, no change (--no-backup aside). kb teach, kb import "
               "and kb merge refuse a text or document larger than " +
                   std::string(kMostDocumentSize) +
                   ". Errors are one line on stderr with exit status 1, wrong usage 2. besedka "
                   "kb SUBCOMMAND --help tells one subcommand.",
               0);
    for (const Subcommand& command : kb::subcommands()) {
        if (!command.details.empty()) {
            out << '\n' << command.details << '\n';
        }
    }
    out << "\nExamples:\n";
    for (const Subcommand& command : kb::subcommands()) {
        out << "  $ " << command.example << '\n';
    }
}

} // namespace

void printKbHelp(std::ostream& out) {
    out << "Usage: besedka kb SUBCOMMAND [ARGUMENT...]\n\n";
    printKbSubcommands(out);
}

void printKbCommands(std::ostream& out) {
    out << "Knowledge-base commands (besedka kb SUBCOMMAND):\n";
    printKbSubcommands(out);
}

int runKbCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        return kb::usageError(err, "no subcommand");
    }
    if (args[0] == "help" || asksForHelp(args[0])) {
        const Subcommand* command = args.size() > 1 ? findSubcommand(args[1]) : nullptr;
        if (command != nullptr) {
            printSubcommandHelp(*command, out);
        } else {
            printKbHelp(out);
        }
        return kb::kSuccess;
    }
    if (const Subcommand* command = findSubcommand(args[0])) {
        return runSubcommand(*command, {args.begin() + 1, args.end()}, out, err);
    }
    return kb::usageError(err, "unknown subcommand \"" + args[0] + "\"");
}

} // namespace besedka
