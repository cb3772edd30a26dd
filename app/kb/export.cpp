// kb export and kb import: a knowledge base as one JSON document and back.
#include "kb/subcommands.h"

#include "curation/knowledge_json.h"
#include "kb/guarded.h"
#include "kb/printed_forms.h"

#include <ostream>

namespace besedka::kb {

int runExport(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
    const auto workdir = workdirArgument(args.words, 0, err);
    if (!workdir) {
        return kFailure;
    }
    return guarded(err, [&] {
        out << knowledgeJson(readKnowledgeContent(FileStore{PathMap(*workdir)}));
        return kSuccess;
    });
}

int runImport(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
    const auto workdir = workdirArgument(args.words, 1, err);
    const auto json = workdir ? readInput(args.words[0], err) : std::nullopt;
    if (!json) {
        return kFailure;
    }
    return guarded(err, [&] {
        const KnowledgeContent content = parseKnowledgeJson(*json);
        FileStore files{PathMap(*workdir)};
        writeKnowledgeContent(files, content, feedbackOn(err, "перед: импорт из " + args.words[0]),
                              args.has(kNoBackup));
        if (content.tree) {
            out << "Words.Dat: " << counted(content.tree->size(), "line", "lines") << '\n';
        }
        for (const NamedList& list : content.lists) {
            out << list.name << ": " << counted(list.lines.size(), "line", "lines") << '\n';
        }
        return kSuccess;
    });
}

} // namespace besedka::kb
