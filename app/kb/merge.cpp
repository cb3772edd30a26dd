// kb merge: another knowledge base (a working directory or an export) into this one.
#include "kb/subcommands.h"

#include "curation/knowledge_json.h"
#include "curation/merge.h"
#include "kb/guarded.h"

#include <ostream>

namespace besedka::kb {
namespace fs = std::filesystem;

int runMerge(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
    const bool dryRun = args.has(kDryRun);
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
    return guarded(err, [&] {
        const KnowledgeContent source = fromDirectory
                                            ? readKnowledgeContent(FileStore{PathMap(words[0])})
                                            : parseKnowledgeJson(*json);
        FileStore files{PathMap(*workdir)};
        const MergeFigures figures = mergeKnowledge(files, source, dryRun, feedbackOn(err));
        out << "new tree lines:   " << figures.newLines << '\n'
            << "new answers:      " << figures.newAnswers << '\n'
            << "lines found:      " << figures.knownLines << '\n';
        for (const auto& list : figures.lists) {
            out << "new in " << list.name << ": " << list.added << '\n';
        }
        if (dryRun) {
            out << "dry run: nothing written\n";
        }
        return kSuccess;
    });
}

} // namespace besedka::kb
