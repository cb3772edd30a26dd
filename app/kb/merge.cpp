// kb merge: another knowledge base (a working directory or an export) into this one.
#include "kb/subcommands.h"

#include "curation/knowledge_json.h"
#include "curation/merge.h"
#include "files/file_error.h"
#include "kb/guarded.h"
#include "kb/printed_forms.h"

#include <ostream>

namespace besedka::kb {
namespace fs = std::filesystem;
namespace {

// What the source holds; a file error names the source's working directory,
// so that it is not taken for the target's.
KnowledgeContent readSource(const fs::path& workdir) {
    try {
        return readKnowledgeContent(FileStore{PathMap(workdir)});
    } catch (const Error& error) {
        if (error.kind() != Error::Kind::File) {
            throw;
        }
        throw fileRefusal(static_cast<const FileError&>(error), // only a FileError is of this kind
                          error.what() + std::string(" (source working directory ") +
                              workdir.string() + ")",
                          workdir);
    }
}

void printFigures(const MergeFigures& figures, std::ostream& out) {
    std::vector<SummaryRow> rows{
        {"new tree lines", std::to_string(figures.newLines)},
        {"new answers", std::to_string(figures.newAnswers)},
        {"already known", counted(figures.knownLines, "tree line", "tree lines") +
                              " found in place (missing answers added)"},
    };
    if (figures.passedOver > 0) {
        rows.push_back({"passed over", std::to_string(figures.passedOver) +
                                           " (lines that break the tree's grammar, with their "
                                           "branches)"});
    }
    for (const auto& list : figures.lists) {
        rows.push_back({"new in " + list.name, std::to_string(list.added)});
    }
    out << alignedRows(rows);
}

// Whether `source` names the working directory itself: merging a base into
// itself would only pile its lines up.
bool sameBase(const fs::path& source, const fs::path& workdir) {
    std::error_code error;
    return fs::equivalent(workingDirectoryOf(source), workdir, error);
}

} // namespace

int runMerge(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
    MergeOptions options;
    options.dryRun = args.has(kDryRun);
    options.withoutBackup = args.has(kNoBackup);
    const Args& words = args.words;
    if (words.empty() || words.size() > 2) {
        return usageError(err, "merge: give one SOURCE and at most one WORKDIR");
    }
    const auto workdir = workdirArgument(words, 1, err);
    if (!workdir) {
        return kFailure;
    }
    std::error_code error;
    const bool fromDirectory = words[0] != "-" && fs::is_directory(words[0], error);
    if (fromDirectory && sameBase(words[0], *workdir)) {
        return fail(err,
                    words[0] + " is the same base as " + workdir->string() + "; nothing to merge");
    }
    const auto json = fromDirectory ? std::optional<std::string>() : readInput(words[0], err);
    if (!fromDirectory && !json) {
        return kFailure;
    }
    return guarded(err, *workdir, [&] {
        const KnowledgeContent source =
            fromDirectory ? readSource(workingDirectoryOf(words[0])) : parseKnowledgeJson(*json);
        FileStore files{PathMap(*workdir)};
        printFigures(mergeKnowledge(files, source, options,
                                    feedbackOn(err, "перед: объединение с " + words[0])),
                     out);
        if (options.dryRun) {
            out << "dry run: nothing written\n";
        }
        return kSuccess;
    });
}

} // namespace besedka::kb
