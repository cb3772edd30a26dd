#include "curation/check.h"

#include "curation/tree.h"
#include "files/atomic_file.h"
#include "files/backups.h"
#include "files/file_error.h"
#include "files/kb_paths.h"
#include "files/restore_journal.h"
#include "files/string_list.h"
#include "text/cp1251.h"
#include "text/tree_line.h"

#include <algorithm>
#include <cctype>

namespace besedka {
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

void checkFilesPresent(const PathMap& paths, CheckReport& report) {
    for (const char* name : paths::kWorkingDirectoryFiles) {
        std::error_code reason;
        if (!readWholeFile(paths.resolve(name), reason)) {
            report.findings.push_back({name, std::nullopt, fileProblem(reason)});
            ++report.absent;
        }
    }
}

// The knowledge-base files read as UTF-8, and each "}" that closed an RTF
// document before its end.
void checkFileForms(const FileStore& files, CheckReport& report) {
    for (const std::string_view name : paths::kWorkingDirectoryFiles) {
        if (!name.starts_with("Base\\")) {
            continue;
        }
        KnowledgeText text;
        try {
            text = readKnowledgeText(files.read(name));
        } catch (const FileError&) {
            continue; // told as missing or unreadable
        }
        if (text.form == KnowledgeForm::PlainUtf8) {
            report.findings.push_back(
                {std::string(name), std::nullopt, "read as UTF-8 plain text"});
        }
        for (const std::size_t line : text.strayBraces) {
            const std::string_view found =
                line < text.lines.size() ? std::string_view(text.lines[line]) : "";
            report.findings.push_back(
                {std::string(name), line + 1,
                 "stray \"}\" before the end of the RTF document: " + cp1251ToUtf8(found)});
        }
        report.strayBraces += text.strayBraces.size();
    }
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

// The tree lines that break the grammar, then the suspicious ones; nothing
// when the tree cannot be read (told as missing or unreadable).
void checkTree(const FileStore& files, CheckReport& report) {
    StringList tree;
    try {
        tree = loadTree(files);
    } catch (const FileError&) {
        return;
    }
    report.treeLines = tree.count();
    if (tree.count() == 0) {
        report.emptyTree = true;
        report.findings.push_back(
            {paths::kWords, std::nullopt,
             "empty: no header line (learning writes an empty one before the first phrase)"});
    }
    for (std::size_t i = 1; i < tree.count(); ++i) {
        if (const auto problem = treeLineProblem(tree.line(i))) {
            report.findings.push_back(
                {paths::kWords, i + 1, *problem + ": " + cp1251ToUtf8(tree.line(i))});
            ++report.broken;
        }
    }
    for (std::size_t i = 1; i < tree.count(); ++i) {
        if (!treeLineProblem(tree.line(i)) && hasSuspiciousKey(TreeLine(tree.line(i)))) {
            report.findings.push_back(
                {paths::kWords, i + 1,
                 "suspicious: a key without letters or digits: " + cp1251ToUtf8(tree.line(i))});
            ++report.suspicious;
        }
    }
}

void checkRestore(const FileStore& files, CheckReport& report) {
    const auto folder = findBackupFolder(files.paths().workdir());
    if (const auto unfinished = folder ? unfinishedRestore(*folder) : std::nullopt) {
        report.findings.push_back({"Base", std::nullopt,
                                   "a restore of " + unfinished->string() +
                                       " was cut short: some files may be from before it; the "
                                       "next run that changes Base finishes it"});
        report.restoreCutShort = true;
    }
}

} // namespace

CheckReport checkWorkingDirectory(const FileStore& files) {
    CheckReport report;
    checkRestore(files, report);
    checkFilesPresent(files.paths(), report);
    checkFileForms(files, report);
    checkTree(files, report);
    return report;
}

} // namespace besedka
