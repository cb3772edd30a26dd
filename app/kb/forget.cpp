// kb find and kb forget: look up learned lines and take them back.
#include "kb/subcommands.h"

#include "text/cp1251.h"
#include "files/file_error.h"
#include "files/file_store.h"
#include "talk/phrase.h"
#include "files/string_list.h"
#include "text/tree_line.h"

#include <algorithm>
#include <ostream>
#include <set>

namespace besedka::kb {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kDryRun = "--dry-run";

bool isNumber(std::string_view word) {
    return !word.empty() &&
           std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The line without its depth marks: its key and answers.
std::string_view keyAndAnswers(std::string_view line) {
    const std::size_t marks = line.find_first_not_of('_');
    return marks == std::string_view::npos ? std::string_view() : line.substr(marks);
}

struct ForgetRequest {
    std::vector<std::size_t> numbers; // as kb check counts: line index plus one
    bool dryRun = false;
    Args workdir; // empty or the one WORKDIR
};

std::optional<ForgetRequest> parseForget(const Args& args, std::ostream& err) {
    ForgetRequest request;
    for (const std::string& word : args) {
        if (word == kDryRun) {
            request.dryRun = true;
        } else if (isNumber(word)) {
            request.numbers.push_back(word.size() > 9 ? 0 : std::stoul(word));
        } else if (word.starts_with('-') || !request.workdir.empty()) {
            usageError(err, "forget: unexpected \"" + word + "\"");
            return std::nullopt;
        } else {
            request.workdir.push_back(word);
        }
    }
    if (request.numbers.empty()) {
        usageError(err, "forget: no line numbers");
        return std::nullopt;
    }
    return request;
}

// The indexes of the given lines and of their branches: the lines after each
// that lie deeper than it.
std::set<std::size_t> linesToRemove(const StringList& tree,
                                    const std::vector<std::size_t>& numbers) {
    std::set<std::size_t> removed;
    for (const std::size_t number : numbers) {
        const std::size_t first = number - 1;
        const std::size_t depth = TreeLine(tree.line(first)).depth();
        removed.insert(first);
        for (std::size_t i = first + 1; i < tree.count() && TreeLine(tree.line(i)).depth() > depth;
             ++i) {
            removed.insert(i);
        }
    }
    return removed;
}

// Line 1 is the tree's header, not a learned line.
std::optional<std::size_t> badNumber(const StringList& tree,
                                     const std::vector<std::size_t>& numbers) {
    for (const std::size_t number : numbers) {
        if (number < 2 || number > tree.count()) {
            return number;
        }
    }
    return std::nullopt;
}

} // namespace

int findLines(const Args& args, std::ostream& out, std::ostream& err) {
    if (args[0].empty()) {
        return usageError(err, "find: the text is empty");
    }
    const auto workdir = workdirArgument(args, 1, err);
    if (!workdir) {
        return kFailure;
    }
    const FileStore files{PathMap(*workdir)};
    const std::optional<StringList> loadedTree = loadTreeOrReport(files, err);
    if (!loadedTree) {
        return kFailure;
    }
    const StringList& tree = *loadedTree;
    const std::string wanted = cyrillicUpper(utf8ToCp1251(args[0]));
    std::size_t found = 0;
    for (std::size_t i = 1; i < tree.count(); ++i) {
        if (cyrillicUpper(keyAndAnswers(tree.line(i))).find(wanted) != std::string::npos) {
            out << numberedLine(i, tree.line(i)) << '\n';
            ++found;
        }
    }
    if (found == 0) {
        return fail(err, "no tree line holds \"" + args[0] + "\"");
    }
    return kSuccess;
}

int forgetLines(const Args& args, std::ostream& out, std::ostream& err) {
    const auto request = parseForget(args, err);
    if (!request) {
        return kUsageError;
    }
    const auto workdir = workdirArgument(request->workdir, 0, err);
    if (!workdir) {
        return kFailure;
    }
    FileStore files{PathMap(*workdir)};
    backUpBeforeFirstWrite(files, problemReport(err));
    try {
        const auto hold = files.holdKnowledgeBase(waitingMessage(err));
        StringList tree;
        tree.load(files, kTreeFile);
        if (const auto bad = badNumber(tree, request->numbers)) {
            return fail(err, "no learned line " + std::to_string(*bad) + " in " +
                                 std::string(kTreeFile) + " (its lines are 2 to " +
                                 std::to_string(tree.count()) + "); nothing removed");
        }
        const std::set<std::size_t> removed = linesToRemove(tree, request->numbers);
        std::vector<std::string> kept;
        for (std::size_t i = 0; i < tree.count(); ++i) {
            if (removed.count(i) != 0) {
                out << numberedLine(i, tree.line(i)) << '\n';
            } else {
                kept.emplace_back(tree.line(i));
            }
        }
        if (!request->dryRun) {
            StringList(std::move(kept)).save(files, kTreeFile);
        }
    } catch (const FileError& error) {
        return fail(err, cp1251ToUtf8(error.what()));
    }
    return kSuccess;
}

} // namespace besedka::kb
