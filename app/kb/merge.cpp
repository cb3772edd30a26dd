// kb merge: another knowledge base (a working directory or an export) into this one.
#include "kb/subcommands.h"

#include "curation/knowledge_json.h"
#include "curation/merge.h"
#include "files/file_error.h"
#include "kb/guarded.h"

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
    out << "new tree lines:   " << figures.newLines << '\n'
        << "new answers:      " << figures.newAnswers << '\n'
        << "lines found:      " << figures.knownLines << '\n';
    if (figures.passedOver > 0) {
        out << "passed over:      " << figures.passedOver
            << " (lines that break the tree's grammar, with their branches)\n";
    }
    for (const auto& list : figures.lists) {
        out << "new in " << list.name << ": " << list.added << '\n';
    }
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
