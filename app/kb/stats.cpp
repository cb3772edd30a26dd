// kb stats: what the knowledge base holds, in one table.
#include "kb/subcommands.h"

#include "text/cp1251.h"
#include "talk/dialogue_log.h"
#include "files/file_error.h"
#include "files/file_store.h"
#include "files/string_list.h"
#include "text/tree_line.h"

#include <algorithm>
#include <ostream>

namespace besedka::kb {
namespace fs = std::filesystem;
namespace {

struct Row {
    std::string label;
    std::string value;
};

struct TreeFigures {
    std::size_t lines = 0;
    std::size_t roots = 0;
    std::array<std::size_t, 3> branches{}; // depth 1, 2, 3 and deeper
    std::size_t withAnswers = 0;
    std::size_t answers = 0;
    std::size_t broken = 0;
};

TreeFigures treeFigures(const StringList& tree) {
    TreeFigures figures;
    figures.lines = tree.count();
    for (std::size_t i = 1; i < tree.count(); ++i) {
        const TreeLine line(tree.line(i));
        if (line.depth() == 0) {
            ++figures.roots;
        } else {
            ++figures.branches[std::min<std::size_t>(line.depth(), 3) - 1];
        }
        figures.withAnswers += line.answerCount() > 0 ? 1u : 0u;
        figures.answers += line.answerCount();
        figures.broken += treeLineProblem(tree.line(i)) ? 1u : 0u;
    }
    return figures;
}

std::vector<Row> treeRows(const TreeFigures& tree) {
    const std::size_t entries = tree.lines > 0 ? tree.lines - 1 : 0;
    return {
        {"tree lines", std::to_string(tree.lines)},
        {"learned phrases", std::to_string(entries)},
        {"root lines", std::to_string(tree.roots)},
        {"branch lines at depth 1", std::to_string(tree.branches[0])},
        {"branch lines at depth 2", std::to_string(tree.branches[1])},
        {"branch lines at depth 3 and deeper", std::to_string(tree.branches[2])},
        {"lines with answers", std::to_string(tree.withAnswers)},
        {"lines without answers", std::to_string(entries - tree.withAnswers)},
        {"answers in all", std::to_string(tree.answers)},
        {"lines that break the grammar", std::to_string(tree.broken)},
    };
}

// The lines of a file, or nothing when it cannot be read.
std::optional<StringList> loaded(const FileStore& files, std::string_view name) {
    StringList list;
    try {
        list.load(files, name);
    } catch (const FileError&) {
        return std::nullopt;
    }
    return list;
}

std::string dialogueCount(const StringList& log) {
    const std::string end = logBlockEnd();
    std::size_t count = 0;
    for (std::size_t i = 0; i < log.count(); ++i) {
        count += log.line(i) == end ? 1u : 0u;
    }
    return std::to_string(count);
}

std::string fileSize(const fs::path& path) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return error ? "unreadable" : std::to_string(size) + " bytes";
}

void printTable(const std::vector<Row>& rows, std::ostream& out) {
    std::size_t labels = 0;
    std::size_t values = 0;
    for (const Row& row : rows) {
        labels = std::max(labels, row.label.size());
        values = std::max(values, row.value.size());
    }
    for (const Row& row : rows) {
        out << row.label << std::string(labels - row.label.size() + 2, ' ')
            << std::string(values - row.value.size(), ' ') << row.value << '\n';
    }
}

} // namespace

int showStats(const Args& args, std::ostream& out, std::ostream& err) {
    const auto workdir = workdirArgument(args, 0, err);
    if (!workdir) {
        return kFailure;
    }
    const FileStore files{PathMap(*workdir)};
    const std::optional<StringList> loadedTree = loadTreeOrReport(files, err);
    if (!loadedTree) {
        return kFailure;
    }
    const StringList& tree = *loadedTree;
    std::vector<Row> rows = treeRows(treeFigures(tree));
    for (const std::string_view list : kReplyLists) {
        const auto lines = loaded(files, list);
        rows.push_back(
            {std::string(list) + " lines", lines ? std::to_string(lines->count()) : "unreadable"});
    }
    const auto log = loaded(files, kLogFile);
    rows.push_back(
        {"dialogues in " + std::string(kLogFile), log ? dialogueCount(*log) : "unreadable"});
    rows.push_back({std::string(kTreeFile) + " size", fileSize(files.paths().resolve(kTreeFile))});
    for (const std::string_view list : kReplyLists) {
        rows.push_back({std::string(list) + " size", fileSize(files.paths().resolve(list))});
    }
    rows.push_back({std::string(kLogFile) + " size", fileSize(files.paths().resolve(kLogFile))});
    printTable(rows, out);
    return kSuccess;
}

} // namespace besedka::kb
