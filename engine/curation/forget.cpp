#include "curation/forget.h"

#include "curation/change_backup.h"
#include "curation/curation_error.h"
#include "curation/outline.h"
#include "files/kb_paths.h"
#include "text/cp1251.h"

#include <vector>

namespace besedka {
namespace {

void checkRequest(const StringList& tree, const ForgetRequest& request) {
    for (std::size_t i = 0; i < request.numbers.size(); ++i) {
        const std::size_t number = request.numbers[i];
        RefusalFacts facts;
        facts.line = number;
        facts.path = paths::kWords;
        if (number < 2 || number > tree.count()) {
            facts.total = tree.count();
            throw CurationError(Refusal::NoLearnedLine, facts,
                                "no learned line " + std::to_string(number) + " in " +
                                    paths::kWords + " (its lines are 2 to " +
                                    std::to_string(tree.count()) + "); nothing removed");
        }
        if (i < request.expected.size() && tree.line(number - 1) != request.expected[i]) {
            facts.text = cp1251ToUtf8(tree.line(number - 1));
            throw CurationError(Refusal::LineChanged, facts,
                                "line " + std::to_string(number) + " of " + paths::kWords +
                                    " is now \"" + facts.text +
                                    "\", not the line expected; nothing removed");
        }
    }
}

// Marks the given lines and their branches.
std::vector<bool> linesToRemove(const StringList& tree, const std::vector<std::size_t>& numbers) {
    const Outline outline(tree.textLines());
    std::vector<bool> removed(tree.count(), false);
    for (const std::size_t number : numbers) {
        for (std::size_t i = number - 1; i < outline.branchEnd(number - 1); ++i) {
            removed[i] = true;
        }
    }
    return removed;
}

} // namespace

std::vector<NumberedLine> forgetLines(FileStore& files, const ForgetRequest& request,
                                      const Feedback& feedback) {
    return forget(files, request, feedback).lines;
}

Forgotten forget(FileStore& files, const ForgetRequest& request, const Feedback& feedback) {
    const auto hold = holdForChange(files, feedback);
    const StringList tree = loadTree(files);
    checkRequest(tree, request);
    const std::vector<bool> removed = linesToRemove(tree, request.numbers);
    Forgotten forgotten;
    std::vector<NumberedLine>& gone = forgotten.lines;
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < tree.count(); ++i) {
        if (removed[i]) {
            gone.push_back({i + 1, std::string(tree.line(i))});
        } else {
            kept.emplace_back(tree.line(i));
        }
    }
    if (!request.dryRun) {
        const auto backup = backUpBeforeChange(
            files, request.withoutBackup,
            "nothing removed (with --no-backup, kb forget removes lines without a backup)",
            feedback.backupReason);
        StringList(kept).save(files, paths::kWords);
        retireAfterChange(backup);
        if (backup) {
            forgotten.backup = backup->stamp;
        }
    }
    return forgotten;
}

} // namespace besedka
