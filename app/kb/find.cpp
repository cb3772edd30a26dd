// kb find: the learned lines that hold a text.
#include "kb/subcommands.h"
#include "text/cp1251.h"

#include "curation/tree.h"
#include "kb/guarded.h"
#include "kb/printed_forms.h"

#include <ostream>

namespace besedka::kb {

int runFind(const ParsedArgs& parsed, std::ostream& out, std::ostream& err) {
    const Args& args = parsed.words;
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
        if (found.empty()) {
            return fail(err, "no tree line holds \"" + args[0] + "\"");
        }
        if (!parsed.has(kForgetCommand)) {
            return kSuccess;
        }
        const NumberedLine& first = found.front();
        err << "besedka kb: to forget line " << first.number
            << " and its branch while it is still there: besedka kb forget " << first.number
            << " --expect " << shellQuoted(cp1251ToUtf8(first.text))
            << (args.size() > 1 ? " " + shellQuoted(args[1]) : std::string()) << '\n';
        return kSuccess;
    });
}

} // namespace besedka::kb
