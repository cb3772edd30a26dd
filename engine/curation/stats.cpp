#include "curation/stats.h"

#include "curation/tree.h"
#include "files/file_error.h"
#include "files/kb_paths.h"
#include "talk/dialogue_log.h"
#include "text/tree_line.h"

#include <algorithm>
#include <filesystem>

namespace besedka {
namespace {

[[nodiscard]] std::optional<StringList> loaded(const FileStore& files, std::string_view name) {
    StringList list;
    try {
        list.load(files, name);
    } catch (const FileError&) {
        return std::nullopt;
    }
    return list;
}

std::size_t dialogueCount(const StringList& log) {
    const std::string end = logBlockEnd();
    std::size_t count = 0;
    for (std::size_t i = 0; i < log.count(); ++i) {
        count += log.line(i) == end ? 1u : 0u;
    }
    return count;
}

FileFigure fileBytes(const FileStore& files, std::string_view name) {
    std::error_code error;
    const auto size = std::filesystem::file_size(files.paths().resolve(name), error);
    return {std::string(name), error ? std::nullopt : std::optional(size)};
}

} // namespace

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

std::optional<std::size_t> dialoguesInLog(const FileStore& files) {
    const auto log = loaded(files, paths::kLog);
    return log ? std::optional(dialogueCount(*log)) : std::nullopt;
}

KnowledgeStats knowledgeStats(const FileStore& files) {
    KnowledgeStats stats;
    stats.tree = treeFigures(loadTree(files));
    for (const char* list : paths::kReplyLists) {
        const auto lines = loaded(files, list);
        stats.listLines.push_back({list, lines ? std::optional(lines->count()) : std::nullopt});
    }
    stats.dialogues = dialoguesInLog(files);
    stats.fileBytes.push_back(fileBytes(files, paths::kWords));
    for (const char* list : paths::kReplyLists) {
        stats.fileBytes.push_back(fileBytes(files, list));
    }
    stats.fileBytes.push_back(fileBytes(files, paths::kLog));
    return stats;
}

} // namespace besedka
