// kb stats: what the knowledge base holds, in one table.
#include "kb/subcommands.h"

#include "curation/stats.h"
#include "files/kb_paths.h"
#include "kb/guarded.h"

#include <algorithm>
#include <ostream>

namespace besedka::kb {
namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

Rows treeRows(const TreeFigures& tree) {
    return {
        {"tree lines", std::to_string(tree.lines)},
        {"learned phrases", std::to_string(tree.learned())},
        {"root lines", std::to_string(tree.roots)},
        {"branch lines at depth 1", std::to_string(tree.branches[0])},
        {"branch lines at depth 2", std::to_string(tree.branches[1])},
        {"branch lines at depth 3 and deeper", std::to_string(tree.branches[2])},
        {"lines with answers", std::to_string(tree.withAnswers)},
        {"lines without answers", std::to_string(tree.learned() - tree.withAnswers)},
        {"answers in all", std::to_string(tree.answers)},
        {"lines that break the grammar", std::to_string(tree.broken)},
    };
}

std::string shown(const std::optional<std::uintmax_t>& value, std::string_view unit = "") {
    return value ? std::to_string(*value) + std::string(unit) : "unreadable";
}

void printTable(const Rows& rows, std::ostream& out) {
    std::size_t labels = 0;
    std::size_t values = 0;
    for (const auto& [label, value] : rows) {
        labels = std::max(labels, label.size());
        values = std::max(values, value.size());
    }
    for (const auto& [label, value] : rows) {
        out << label << std::string(labels - label.size() + 2, ' ')
            << std::string(values - value.size(), ' ') << value << '\n';
    }
}

} // namespace

int runStats(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
    const auto workdir = workdirArgument(args.words, 0, err);
    if (!workdir) {
        return kFailure;
    }
    return guarded(err, *workdir, [&] {
        const KnowledgeStats stats = knowledgeStats(FileStore{PathMap(*workdir)});
        Rows rows = treeRows(stats.tree);
        for (const FileFigure& list : stats.listLines) {
            rows.emplace_back(list.name + " lines", shown(list.value));
        }
        rows.emplace_back(std::string("dialogues in ") + paths::kLog, shown(stats.dialogues));
        for (const FileFigure& file : stats.fileBytes) {
            rows.emplace_back(file.name + " size", shown(file.value, " bytes"));
        }
        printTable(rows, out);
        return kSuccess;
    });
}

} // namespace besedka::kb
