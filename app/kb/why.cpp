// kb why: which step of the chat would answer a phrase now.
#include "kb/subcommands.h"

#include "curation/explain_answer.h"
#include "curation/tree.h"
#include "kb/guarded.h"
#include "kb/printed_forms.h"
#include "talk/phrase.h"
#include "talk/responder_rules.h"
#include "text/cp1251.h"

#include <ostream>

namespace besedka::kb {
namespace {

std::string inQuotes(std::string_view cp1251) {
    return "\"" + cp1251ToUtf8(cp1251) + "\"";
}

void printTreeLine(const AnswerExplained& explained, std::ostream& out) {
    out << "tree line " << *explained.lineNumber;
    if (explained.afterNumber && explained.answering.inBranch) {
        out << ", in the branch of line " << *explained.afterNumber;
    } else if (explained.afterNumber) {
        out << " (the branch of line " << *explained.afterNumber << " has no line for it)";
    }
    out << ": its key " << inQuotes(explained.key) << " is found in the phrase\n"
        << numberedLine(*explained.lineNumber, explained.line) << '\n';
}

void printNothing(const AnswerExplained& explained, std::ostream& out) {
    if (explained.replyFile.empty()) {
        out << "nothing: no tree line answers it, and it touches a personal topic ("
            << inQuotes(explained.answering.entry)
            << "), so the chat says its last reply again and learns nothing\n";
    } else {
        out << "nothing: no tree line answers it, so the reply comes from " << explained.replyFile
            << " and the chat learns the phrase\n";
    }
}

void printExplained(const AnswerExplained& explained, std::ostream& out) {
    const Answering& answering = explained.answering;
    switch (answering.step) {
    case Answering::Step::Repeat:
        out << "a repeat: it is the phrase said before it again; the reply comes from "
            << explained.replyFile << '\n';
        return;
    case Answering::Step::Insult:
        out << "the insult list: the phrase holds " << inQuotes(answering.entry)
            << "; the reply comes from " << explained.replyFile << '\n';
        return;
    case Answering::Step::LongPhrase:
        out << "the long-phrase gate: " << answering.shownLength << " characters, " << kLongPhrase
            << " or more; " << kGateOpenings << " times in " << kGateDraws
            << " the reply comes from " << explained.replyFile << ", otherwise:\n";
        if (explained.lineNumber) {
            printTreeLine(explained, out);
        } else {
            out << "nothing: no tree line answers it, and the chat learns the phrase\n";
        }
        return;
    case Answering::Step::Tree:
        printTreeLine(explained, out);
        return;
    case Answering::Step::Nothing:
        printNothing(explained, out);
        return;
    }
}

} // namespace

int runWhy(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
    std::optional<std::string> after;
    Args words;
    for (std::size_t i = 0; i < args.words.size(); ++i) {
        if (args.words[i] == kAfter.name) {
            after = utf8ToCp1251(args.words[++i]);
        } else {
            words.push_back(args.words[i]);
        }
    }
    if (words.empty() || words.size() > 2) {
        return usageError(err, "why: give one PHRASE and at most one WORKDIR");
    }
    if (words[0].empty()) {
        return usageError(err, "why: the phrase is empty");
    }
    const auto workdir = workdirArgument(words, 1, err);
    if (!workdir) {
        return kFailure;
    }
    return guarded(err, *workdir, [&] {
        const StringList tree = loadTree(FileStore{PathMap(*workdir)});
        std::string phrase = utf8ToCp1251(words[0]);
        if (phrase.size() > kLongestTypedPhrase) {
            phrase.resize(kLongestTypedPhrase); // as the chat cuts what is typed
            out << "the chat takes the first " << kLongestTypedPhrase << " characters of it\n";
        }
        printExplained(explainAnswer(tree.textLines(), phrase, after), out);
        return kSuccess;
    });
}

} // namespace besedka::kb
