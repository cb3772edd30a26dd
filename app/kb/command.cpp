#include "kb/command.h"
#include "kb/messages.h"

#include "files/directory_lock.h"
#include "kb/catalogue.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <optional>
#include <ostream>
#include <poll.h>
#include <unistd.h>
#include <utility>

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

// What each argument word of the usage lines means.
constexpr std::array<std::pair<std::string_view, std::string_view>, 16> kArgumentNotes{{
    {"FILE", "a knowledge-base file (RTF or plain text)"},
    {"IN", "a file of UTF-8 lines, one line of the knowledge-base file each"},
    {"OUT", "the knowledge-base file to write (atomically; under the lock when in Base)"},
    {"TEXT", "the text to look for, letter case aside"},
    {"N...", "line numbers as kb find and kb check print them (line 1 is the tree's header)"},
    {"--dry-run", "show what would change, and change nothing"},
    {"--expect", "LINE after a number: remove it only while it still holds LINE"},
    {"--yes", "do not ask on a terminal before removing"},
    {"--no-backup", "remove even when no backup can be made"},
    {"--all", "list the backups of every working directory, with its path"},
    {"STAMP|latest", "a backup's stamp as kb backups lists it, as much of its start as names\n"
                     "                one backup, or the path of a backup's folder; latest: the "
                     "newest"},
    {"--with-log", "put the backup's dialogue log back too (else the current one stays)"},
    {"FILE|-", "a UTF-8 or Windows-1251 text (kb teach) or an export (kb import); - reads stdin"},
    {"--skip-bad", "teach the other lines when some cannot be stored"},
    {"SOURCE", "another working directory, or an export document (kb export) or -"},
    {"WORKDIR", "the working directory (Base itself or a file in it names it too); without "
                "it,\n                the one the chat and the window use"},
}};

// Whether `word` is one of the words of the subcommand's usage, optional or not.
bool takes(const Subcommand& command, std::string_view word) {
    std::string_view words = command.arguments;
    while (!words.empty()) {
        const auto space = words.find(' ');
        std::string_view used = words.substr(0, space);
        if (used.starts_with('[')) {
            used.remove_prefix(1);
        }
        if (used.ends_with(']')) {
            used.remove_suffix(1);
        }
        if (used == word) {
            return true;
        }
        words = space == std::string_view::npos ? std::string_view() : words.substr(space + 1);
    }
    return false;
}

void printSubcommandHelp(const Subcommand& command, std::ostream& out) {
    out << "usage: " << kb::commandLine(command) << "\n\n" << command.summary << "\n\n";
    for (const auto& [word, note] : kArgumentNotes) {
        if (takes(command, word)) {
            out << "  " << word << std::string(word.size() < 14 ? 14 - word.size() : 1, ' ') << note
                << '\n';
        }
    }
    out << "\nExample: " << command.example << '\n';
}

// The first argument word that `given` arguments leave out: "find" without
// any is missing TEXT.
std::string missingArgument(const Subcommand& command, std::size_t given) {
    std::string_view words = command.arguments;
    for (std::size_t i = 0; i < given && !words.empty(); ++i) {
        const auto space = words.find(' ');
        words = space == std::string_view::npos ? std::string_view() : words.substr(space + 1);
    }
    return std::string(words.substr(0, words.find(' ')));
}

// `--workdir DIR` and `--workdir=DIR`, as the chat and the window take them,
// become the WORKDIR argument at the end.
Args withWorkdirOption(const Subcommand& command, const Args& args) {
    if (!takes(command, "WORKDIR")) {
        return args;
    }
    Args words;
    std::optional<std::string> workdir;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--workdir" && i + 1 < args.size()) {
            workdir = args[++i];
        } else if (args[i].starts_with("--workdir=")) {
            workdir = args[i].substr(std::string_view("--workdir=").size());
        } else {
            words.push_back(args[i]);
        }
    }
    if (workdir) {
        words.push_back(*workdir);
    }
    return words;
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
    if (std::any_of(given.begin(), given.end(),
                    [](const std::string& arg) { return arg == "--help" || arg == "-h"; })) {
        printSubcommandHelp(command, out);
        return outputWritten(out, err) ? kb::kSuccess : kb::kFailure;
    }
    const Args args = withWorkdirOption(command, given);
    const std::string name(command.name);
    if (args.size() < command.minArgs) {
        return kb::usageError(err, name + ": missing " + missingArgument(command, args.size()));
    }
    if (args.size() > command.maxArgs) {
        return kb::usageError(err, name + ": unexpected \"" + args[command.maxArgs] + "\"");
    }
    const UnsharedLockListener unshared([&err](const std::filesystem::path& directory) {
        kb::fail(err, unsharedLockNotice(directory));
    });
    errno = 0;
    const int status = command.run(args, out, err);
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

void printKbHelp(std::ostream& out) {
    // The column of the program's other usage lines; at least two spaces part
    // a command from its summary, so that tools reading the help can tell them apart.
    constexpr std::size_t kColumn = 48;
    for (const Subcommand& command : kb::subcommands()) {
        const std::string line = "  " + kb::commandLine(command);
        out << line << std::string(line.size() + 2 < kColumn ? kColumn - line.size() : 2, ' ')
            << command.summary << '\n';
    }
    out << "\nKnowledge-base commands work on WORKDIR (also --workdir DIR), by default the\n"
           "directory the chat and the window use: the current directory when it holds Base,\n"
           "else ~/.local/share/besedka. N is a line number as kb check and kb find print it\n"
           "(line 1 is the tree's header); --expect LINE after it removes the line only while\n"
           "it still holds LINE, and on a terminal kb forget asks first (--yes does not).\n"
           "Changes are made under the lock of Base, after a backup into\n"
           "$XDG_STATE_HOME/besedka/backups (~/.local/state/besedka/backups), which keeps the\n"
           "10 newest; no backup, no change (kb forget --no-backup aside). Errors are one\n"
           "line on stderr with exit status 1, wrong usage 2. besedka kb SUBCOMMAND --help\n"
           "tells one subcommand.\n"
           "\nExamples:\n";
    for (const Subcommand& command : kb::subcommands()) {
        out << "  $ " << command.example << '\n';
    }
}

int runKbCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        return kb::usageError(err, "no subcommand");
    }
    if (args[0] == "help" || args[0] == "--help" || args[0] == "-h") {
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
