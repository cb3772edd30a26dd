// kb browse: the knowledge window on a working directory.
#include "kb/browse.h"

#include "files/kb_paths.h"
#include "files/path_map.h"
#include "kb/messages.h"
#include "kb/subcommands.h"

#include <ostream>

namespace besedka::kb {
namespace {

KnowledgeWindowStarter& windowStarter() {
    static KnowledgeWindowStarter starter;
    return starter;
}

} // namespace

void setKnowledgeWindowStarter(KnowledgeWindowStarter starter) {
    windowStarter() = std::move(starter);
}

int runBrowse(const ParsedArgs& args, std::ostream&, std::ostream& err) {
    if (!windowStarter()) {
        return fail(err, "browse: this besedka is built without its windows");
    }
    const auto workdir = workdirArgument(args.words, 0, err);
    if (!workdir) {
        return kFailure;
    }
    const auto tree = PathMap(*workdir).resolve(paths::kWords);
    std::error_code error;
    if (!std::filesystem::is_regular_file(tree, error)) {
        return fail(err, "browse: no knowledge tree " + tree.string());
    }
    return windowStarter()(*workdir);
}

} // namespace besedka::kb
