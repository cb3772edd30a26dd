// kb teach: teach the tree the dialogues of a text.
#include "kb/subcommands.h"

#include "curation/teach.h"
#include "kb/guarded.h"
#include "kb/printed_forms.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <unistd.h>

namespace besedka::kb {
namespace {

// A progress line on a terminal, once teaching has taken a second.
TeachProgress progressLine(std::ostream& err) {
    if (&err != &std::cerr || ::isatty(STDERR_FILENO) == 0) {
        return {};
    }
    const auto start = std::chrono::steady_clock::now();
    return [&err, start](std::size_t done, std::size_t total) {
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(1)) {
            err << "\rbesedka kb: taught " << done << " of "
                << counted(total, "utterance", "utterances") << (done == total ? "\n" : "")
                << std::flush;
        }
        return true;
    };
}

// Pairs named one by one, unless --verbose asks for all.
constexpr std::size_t kUnansweredShown = 10;

void printFigures(const TeachReport& report, std::ostream& out) {
    const TeachFigures& figures = report.figures;
    out << "dialogues:     " << figures.dialogues << '\n'
        << "pairs:         " << figures.pairs << '\n'
        << "new lines:     " << figures.newLines << '\n'
        << "new answers:   " << figures.newAnswers << '\n'
        << "already known: " << figures.known << '\n'
        << "answered as taught: " << report.answered << " of "
        << counted(figures.pairs, "pair", "pairs") << '\n';
}

void printUnanswered(const TeachReport& report, const std::string& file, bool verbose,
                     std::ostream& err) {
    const std::size_t shown =
        verbose ? report.unanswered.size() : std::min(report.unanswered.size(), kUnansweredShown);
    for (std::size_t i = 0; i < shown; ++i) {
        const UnansweredPair& pair = report.unanswered[i];
        err << "besedka kb: " << file << ':' << pair.line
            << ": not answered as taught: " << pair.reason << '\n';
    }
    if (shown < report.unanswered.size()) {
        err << "besedka kb: and " << report.unanswered.size() - shown
            << (report.unanswered.size() - shown == 1 ? " more pair" : " more pairs")
            << " not answered as taught (--verbose names them all)\n";
    }
}

} // namespace

int runTeach(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
    TeachOptions options;
    options.dryRun = args.has(kDryRun);
    options.skipBad = args.has(kSkipBad);
    options.withoutBackup = args.has(kNoBackup);
    const Args& words = args.words;
    if (words.empty() || words.size() > 2) {
        return usageError(err, "teach: give one FILE (or -) and at most one WORKDIR");
    }
    const auto workdir = workdirArgument(words, 1, err);
    auto bytes = workdir ? readInput(words[0], err) : std::nullopt;
    if (!bytes) {
        return kFailure;
    }
    return guarded(err, [&] {
        DialogueText text = readDialogueText(std::move(*bytes));
        if (!text.refusal.empty()) {
            return fail(err, words[0] + ": " + text.refusal);
        }
        FileStore files{PathMap(*workdir)};
        const TeachReport report =
            teach(files, std::move(text), options,
                  feedbackOn(err, "перед: обучение из " + words[0]), progressLine(err));
        for (const RefusedLine& refused : report.refused) {
            err << "besedka kb: " << words[0] << ':' << refused.line << ": "
                << (options.skipBad ? "skipped: " : "") << refused.reason << '\n';
        }
        if (!report.refused.empty() && !options.skipBad) {
            return fail(err, "nothing taught; --skip-bad teaches the other lines");
        }
        printUnanswered(report, words[0], args.has(kVerbose), err);
        printFigures(report, out);
        if (options.dryRun) {
            out << "dry run: nothing written\n";
        }
        return kSuccess;
    });
}

} // namespace besedka::kb
