// kb check: is every file there, and does the tree keep its grammar?
#include "kb/subcommands.h"

#include "files/atomic_file.h"
#include "text/cp1251.h"
#include "files/file_error.h"
#include "files/file_store.h"
#include "files/string_list.h"
#include "text/tree_line.h"

#include <algorithm>
#include <cctype>
#include <ostream>

namespace besedka::kb {
namespace fs = std::filesystem;
namespace {

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

// A Windows-1251 letter or digit: Latin, Cyrillic (А to я, Ё, ё) or 0-9.
bool isLetterOrDigit(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return std::isalnum(byte) != 0 || byte >= 0xC0 || byte == 0xA8 || byte == 0xB8;
}

// A key with no letter or digit ("." or "?") comes from a phrase split in
// pieces, not from anything a user said.
bool hasSuspiciousKey(const TreeLine& line) {
    const std::string_view key = line.key();
    return line.hasSeparator() &&
           std::none_of(key.begin(), key.end(), [](char c) { return isLetterOrDigit(c); });
}

struct TreeFindings {
    std::size_t lines = 0;
    std::size_t broken = 0;
    std::size_t suspicious = 0;
};

// Reports the tree lines that break the grammar, then the suspicious ones,
// numbered as a text editor counts; line 1 is a free header. Nothing when the
// file cannot be read.
std::optional<TreeFindings> checkTree(const FileStore& files, std::ostream& out) {
    StringList tree;
    try {
        tree.load(files, kTreeFile);
    } catch (const FileError&) {
        return std::nullopt;
    }
    TreeFindings findings{tree.count()};
    for (std::size_t i = 1; i < tree.count(); ++i) {
        if (const auto problem = treeLineProblem(tree.line(i))) {
            out << kTreeFile << ':' << i + 1 << ": " << *problem << ": "
                << cp1251ToUtf8(tree.line(i)) << '\n';
            ++findings.broken;
        }
    }
    for (std::size_t i = 1; i < tree.count(); ++i) {
        if (!treeLineProblem(tree.line(i)) && hasSuspiciousKey(TreeLine(tree.line(i)))) {
            out << kTreeFile << ':' << i + 1
                << ": suspicious: a key without letters or digits: " << cp1251ToUtf8(tree.line(i))
                << '\n';
            ++findings.suspicious;
        }
    }
    return findings;
}

} // namespace

int checkWorkdir(const Args& args, std::ostream& out, std::ostream& err) {
    const auto workdir = workdirArgument(args, 0, err);
    if (!workdir) {
        return kFailure;
    }
    const FileStore files{PathMap(*workdir)};
    const std::size_t absent = checkFilesPresent(files.paths(), out);
    const std::size_t strayBraces = checkFileForms(files, out);
    const TreeFindings tree = checkTree(files, out).value_or(TreeFindings{});
    const std::string suspicious =
        tree.suspicious == 0 ? ""
                             : ", " + std::to_string(tree.suspicious) +
                                   " suspicious lines listed above (kb forget removes them)";

    if (absent == 0 && tree.broken == 0 && strayBraces == 0) {
        const std::size_t phrases = tree.lines > 0 ? tree.lines - 1 : 0;
        out << "kb check: OK: all " << paths::kWorkingDirectoryFiles.size() << " files present, "
            << kTreeFile << " holds " << phrases << " phrases" << suspicious << '\n';
        return kSuccess;
    }
    out << "kb check: FAILED: " << absent << " files missing or unreadable, " << tree.broken
        << " broken lines in " << kTreeFile;
    if (strayBraces > 0) {
        out << ", " << strayBraces << " stray \"}\" in RTF files";
    }
    out << suspicious << '\n';
    return kFailure;
}

} // namespace besedka::kb
