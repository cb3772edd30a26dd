// kb check: is every file there, and does the tree keep its grammar?
#include "kb/subcommands.h"

#include "curation/check.h"
#include "files/kb_paths.h"
#include "kb/messages.h"
#include "kb/printed_forms.h"

#include <ostream>

namespace besedka::kb {
namespace {

void printFinding(const Finding& finding, std::ostream& out) {
    out << finding.file;
    if (finding.line) {
        out << ':' << *finding.line;
    }
    out << ": " << finding.message << '\n';
}

} // namespace

int runCheck(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
    const auto workdir = workdirArgument(args.words, 0, err);
    if (!workdir) {
        return kFailure;
    }
    const CheckReport report = checkWorkingDirectory(FileStore{PathMap(*workdir)});
    for (const Finding& finding : report.findings) {
        printFinding(finding, out);
    }
    const std::string suspicious =
        report.suspicious == 0
            ? ""
            : ", " + std::to_string(report.suspicious) +
                  (report.suspicious == 1 ? " suspicious line" : " suspicious lines") +
                  " listed above (kb forget removes them)";
    if (report.ok()) {
        const std::size_t phrases = report.treeLines > 0 ? report.treeLines - 1 : 0;
        out << "kb check: OK: all " << paths::kWorkingDirectoryFiles.size() << " files present, "
            << paths::kWords << " holds " << phrases << " phrases" << suspicious << '\n';
        return kSuccess;
    }
    out << "kb check: FAILED: " << counted(report.absent, "file", "files")
        << " missing or unreadable" << (report.absent > 0 ? " in " + workdir->string() : "") << ", "
        << report.broken << (report.broken == 1 ? " broken line in " : " broken lines in ")
        << paths::kWords;
    if (report.restoreCutShort) {
        out << ", a restore cut short";
    }
    if (report.emptyTree) {
        out << ", " << paths::kWords << " is empty";
    }
    if (report.strayBraces > 0) {
        out << ", " << report.strayBraces << " stray \"}\" in RTF files";
    }
    out << suspicious << '\n';
    return kFailure;
}

} // namespace besedka::kb
