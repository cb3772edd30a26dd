#include "curation/merge.h"

#include "curation/change_backup.h"
#include "curation/outline.h"
#include "curation/outline_merge.h"
#include "curation/tree.h"
#include "files/file_store.h"
#include "files/kb_paths.h"
#include "files/string_list.h"
#include "text/tree_line.h"

#include <optional>
#include <string_view>
#include <unordered_set>
#include <utility>

namespace besedka {
namespace {

// The source's lines in file order, each placed under the target line that
// its parent became. A broken line that the target lacks is passed over with
// its branch: its lines were learned after a line the walk cannot match.
bool mergeTree(OutlineMerge& target, const TextLines& source, MergeFigures& figures) {
    const Outline outline(source);
    std::vector<OutlineMerge::Node> placed(source.size(), OutlineMerge::kTop);
    for (std::size_t i = 1; i < source.size(); ++i) {
        const auto parentLine = outline.parent(i);
        const OutlineMerge::Node parent = parentLine ? placed[*parentLine] : OutlineMerge::kTop;
        const std::string_view line = source[i];
        const TreeLine tree(line);
        if (treeLineProblem(line)) {
            if (const auto found = target.findLine(parent, line)) {
                placed[i] = *found;
                ++figures.knownLines;
            } else {
                figures.passedOver += outline.branchEnd(i) - i;
                i = outline.branchEnd(i) - 1;
            }
        } else if (const auto found = target.find(parent, tree.depth(), tree.key())) {
            placed[i] = *found;
            ++figures.knownLines;
            for (std::size_t k = 1; k <= tree.answerCount(); ++k) {
                figures.newAnswers += target.addAnswer(*found, tree.answer(k)) ? 1u : 0u;
            }
        } else {
            placed[i] = target.addLine(parent, tree.depth(), tree.key(),
                                       line.substr(line.find('^', tree.depth()) + 1));
            // Where the walk takes it first for its own key, as teaching puts
            // its lines.
            target.placeForWalk(placed[i], tree.key());
            ++figures.newLines;
        }
    }
    return target.changed();
}

// Appends the source's lines that the list does not hold; how many. The
// views stay valid: `original` keeps the list's first lines alive.
std::size_t mergeList(StringList& list, const TextLines& source) {
    const TextLines original = list.textLines();
    std::unordered_set<std::string_view> held(original.begin(), original.end());
    std::size_t added = 0;
    for (const std::string_view line : source) {
        if (held.emplace(line).second) {
            list.append(line);
            ++added;
        }
    }
    return added;
}

} // namespace

MergeFigures mergeKnowledge(FileStore& files, const KnowledgeContent& source,
                            const MergeOptions& options, const Feedback& feedback) {
    const auto hold = holdForChange(files, feedback);
    MergeFigures figures;
    std::optional<OutlineMerge> tree;
    if (source.tree) {
        tree.emplace(loadTree(files).textLines());
        if (!mergeTree(*tree, *source.tree, figures)) {
            tree.reset();
        }
    }
    std::vector<std::pair<std::string, StringList>> changedLists;
    for (const NamedList& sourceList : source.lists) {
        std::string path = "Base\\" + sourceList.name;
        StringList list;
        list.load(files, path);
        const std::size_t added = mergeList(list, sourceList.lines);
        figures.lists.push_back({sourceList.name, added});
        if (added > 0) {
            changedLists.emplace_back(std::move(path), std::move(list));
        }
    }
    if (options.dryRun || (!tree && changedLists.empty())) {
        return figures;
    }
    const auto backup =
        backUpBeforeChange(files, options.withoutBackup,
                           "nothing merged (with --no-backup, kb merge merges without a backup)",
                           feedback.backupReason);
    BaseChange change(files); // the tree and the lists change together or not at all
    if (tree) {
        StringList(tree->lines()).save(files, paths::kWords);
    }
    for (const auto& [path, list] : changedLists) {
        list.save(files, path);
    }
    change.commit();
    retireAfterChange(backup);
    return figures;
}

} // namespace besedka
