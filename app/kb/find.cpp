// kb find: the learned lines that hold a text.
#include "kb/subcommands.h"

#include "curation/tree.h"

#include <ostream>

namespace besedka::kb {

int findLines(const Args& args, std::ostream& out, std::ostream& err) {
    if (args[0].empty()) {
        return usageError(err, "find: the text is empty");
    }
    const auto workdir = workdirArgument(args, 1, err);
    if (!workdir) {
        return kFailure;
    }
    return guarded(err, *workdir, [&] {
        const auto found =
            findInTree(loadTree(FileStore{PathMap(*workdir)}), utf8ToCp1251(args[0]));
        for (const NumberedLine& line : found) {
            out << numberedLine(line.number, line.text) << '\n';
        }
        return found.empty() ? fail(err, "no tree line holds \"" + args[0] + "\"") : kSuccess;
    });
}

} // namespace besedka::kb
