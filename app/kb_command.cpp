#include "kb_command.h"

#include "atomic_file.h"
#include "backups.h"
#include "cp1251.h"
#include "directory_lock.h"
#include "file_error.h"
#include "file_store.h"
#include "kb_paths.h"
#include "path_map.h"
#include "plain_text.h"
#include "rtf.h"
#include "string_list.h"
#include "tree_line.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string_view>

namespace besedka {
namespace {
namespace fs = std::filesystem;

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsageError = 2;

using Args = std::vector<std::string>;

constexpr std::string_view kTreeFile = paths::kWords;

int fail(std::ostream& err, std::string_view message) {
    err << "besedka kb: " << message << '\n';
    return kFailure;
}

fs::path directoryOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

bool isBaseDirectory(const fs::path& directory) {
    std::error_code error;
    const fs::path workdir = directory / "..";
    return fs::equivalent(PathMap(workdir).resolve("Base"), directory, error);
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

std::string withReason(const std::string& what, const std::error_code& reason) {
    return what + ": " + reasonText(reason);
}

int printLines(const Args& args, std::ostream& out, std::ostream& err) {
    const std::string& file = args[0];
    std::error_code reason;
    const auto bytes = readWholeFile(file, reason);
    if (!bytes) {
        return fail(err, withReason("cannot read " + file, reason));
    }
    for (const std::string& line : parseKnowledgeFile(*bytes)) {
        out << cp1251ToUtf8(line) << '\n';
    }
    return kSuccess;
}

std::string_view withoutByteOrderMark(std::string_view text) {
    constexpr std::string_view mark = "\xEF\xBB\xBF";
    return text.substr(0, mark.size()) == mark ? text.substr(mark.size()) : text;
}

int convertFromText(const Args& args, std::ostream& /*out*/, std::ostream& err) {
    const std::string& input = args[0];
    const std::string& output = args[1];
    std::error_code reason;
    const auto text = readWholeFile(input, reason);
    if (!text) {
        return fail(err, withReason("cannot read " + input, reason));
    }
    std::vector<std::string> lines;
    std::size_t number = 0;
    for (const std::string& utf8 : splitPlainLines(withoutByteOrderMark(*text))) {
        ++number;
        lines.push_back(utf8ToCp1251(utf8));
        // Written anyway: the rest of the file is good, and "?" shows where.
        if (cp1251ToUtf8(lines.back()) != utf8) {
            err << "besedka kb: " << input << ':' << number
                << ": characters without a Windows-1251 form became \"?\"\n";
        }
    }
    // Under the lock of the directory written into; into a working
    // directory's Base after a backup of it.
    const fs::path directory = directoryOf(output);
    const DirectoryLock lock(directory, kLockPatience, waitingMessage(err));
    if (isBaseDirectory(directory)) {
        backUpKnowledgeBase(directory / "..", directory, problemReport(err));
    }
    if (const auto reason = writeFileAtomically(output, writeRtf(lines))) {
        return fail(err, withReason("cannot write " + output, reason));
    }
    return kSuccess;
}

// Reports the tree lines that break the grammar, numbered from 1 as a text
// editor counts (the program's line index is one less); line 1 is a free
// header. Returns the number of lines, or nothing when the file cannot be read.
std::optional<std::size_t> checkTree(const FileStore& files, std::size_t& problems,
                                     std::ostream& out) {
    std::vector<std::string> lines;
    try {
        lines = parseKnowledgeFile(files.read(kTreeFile));
    } catch (const FileError&) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (const auto problem = treeLineProblem(lines[i])) {
            out << kTreeFile << ':' << i + 1 << ": " << *problem << ": " << cp1251ToUtf8(lines[i])
                << '\n';
            ++problems;
        }
    }
    return lines.size();
}

std::string fileProblem(const std::error_code& reason) {
    if (reason == std::errc::no_such_file_or_directory) {
        return "missing";
    }
    if (reason == std::errc::is_a_directory) {
        return "is a directory";
    }
    if (reason == notARegularFile()) {
        return "not a regular file";
    }
    return "cannot be read: " + reasonText(reason);
}

std::size_t checkFilesPresent(const PathMap& paths, std::ostream& out) {
    std::size_t absent = 0;
    for (const std::string_view name : paths::kWorkingDirectoryFiles) {
        std::error_code reason;
        if (!readWholeFile(paths.resolve(name), reason)) {
            out << name << ": " << fileProblem(reason) << '\n';
            ++absent;
        }
    }
    return absent;
}

// Names the knowledge-base files read as UTF-8 and reports each "}" that
// closed an RTF document before its end. Returns the number of such braces.
std::size_t checkFileForms(const FileStore& files, std::ostream& out) {
    std::size_t strayBraces = 0;
    for (const std::string_view name : paths::kWorkingDirectoryFiles) {
        if (!name.starts_with("Base\\")) {
            continue;
        }
        KnowledgeText text;
        try {
            text = readKnowledgeText(files.read(name));
        } catch (const FileError&) {
            continue; // reported as missing or unreadable
        }
        if (text.form == KnowledgeForm::PlainUtf8) {
            out << name << ": read as UTF-8 plain text\n";
        }
        for (const std::size_t line : text.strayBraces) {
            const std::string_view found =
                line < text.lines.size() ? std::string_view(text.lines[line]) : "";
            out << name << ':' << line + 1
                << ": stray \"}\" before the end of the RTF document: " << cp1251ToUtf8(found)
                << '\n';
        }
        strayBraces += text.strayBraces.size();
    }
    return strayBraces;
}

int checkWorkdir(const Args& args, std::ostream& out, std::ostream& err) {
    const fs::path workdir = args.empty() ? fs::path(".") : fs::path(args[0]);
    std::error_code error;
    if (!fs::is_directory(workdir, error)) {
        return fail(err, "no such directory: " + workdir.string());
    }
    const FileStore files{PathMap(workdir)};
    const std::size_t absent = checkFilesPresent(files.paths(), out);
    const std::size_t strayBraces = checkFileForms(files, out);
    std::size_t problems = 0;
    const auto treeLines = checkTree(files, problems, out);

    if (absent == 0 && problems == 0 && strayBraces == 0) {
        const std::size_t lines = treeLines.value_or(0);
        const std::size_t phrases = lines > 0 ? lines - 1 : 0;
        out << "kb check: OK: all " << paths::kWorkingDirectoryFiles.size() << " files present, "
            << kTreeFile << " holds " << phrases << " phrases\n";
        return kSuccess;
    }
    out << "kb check: FAILED: " << absent << " files missing or unreadable, " << problems
        << " broken lines in " << kTreeFile;
    if (strayBraces > 0) {
        out << ", " << strayBraces << " stray \"}\" in RTF files";
    }
    out << '\n';
    return kFailure;
}

struct Subcommand {
    std::string_view name;
    std::string_view arguments;
    std::size_t minArgs;
    std::size_t maxArgs;
    int (*run)(const Args&, std::ostream&, std::ostream&);
};

constexpr std::array<Subcommand, 3> kSubcommands{{
    {"lines", "FILE", 1, 1, printLines},
    {"from-text", "IN OUT", 2, 2, convertFromText},
    {"check", "[WORKDIR]", 0, 1, checkWorkdir},
}};

std::string usageLine() {
    std::string usage = "usage:";
    for (const Subcommand& command : kSubcommands) {
        usage += &command == &kSubcommands.front() ? " " : " | ";
        usage += "besedka kb ";
        usage += command.name;
        usage += ' ';
        usage += command.arguments;
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
    fail(err, error == 0 ? std::string("cannot write the output")
                         : std::string("cannot write the output: ") + std::strerror(error));
    return false;
}

int usageError(std::ostream& err, std::string_view problem) {
    err << "besedka kb: " << problem << "; " << usageLine() << '\n';
    return kUsageError;
}

} // namespace

int runKbCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        return usageError(err, "no subcommand");
    }
    if (args[0] == "help" || args[0] == "--help" || args[0] == "-h") {
        out << usageLine() << '\n';
        return kSuccess;
    }
    const Args rest(args.begin() + 1, args.end());
    for (const Subcommand& command : kSubcommands) {
        if (args[0] != command.name) {
            continue;
        }
        if (rest.size() < command.minArgs || rest.size() > command.maxArgs) {
            return usageError(err, "wrong number of arguments for " + args[0]);
        }
        errno = 0;
        const int status = command.run(rest, out, err);
        return outputWritten(out, err) ? status : kFailure;
    }
    return usageError(err, "unknown subcommand \"" + args[0] + "\"");
}

} // namespace besedka
