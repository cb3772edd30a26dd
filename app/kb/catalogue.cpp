#include "kb/catalogue.h"

#include "kb/subcommands.h"

#include <algorithm>
#include <limits>

namespace besedka::kb {
namespace {

// The text that kb teach reads.
constexpr std::string_view kTeachDetails =
    "kb teach reads a text of dialogues, one utterance a line. In each dialogue the\n"
    "1st, 3rd, 5th ... utterances become keys answered by the 2nd, 4th, 6th ..., each\n"
    "pair a level deeper in the tree, so that saying them in turn in a new dialogue\n"
    "gets the answers. A blank line, a line of only \"%\" (a fortune file) or one of\n"
    "only dashes ends a dialogue. A leading dialogue dash (\"—\", \"–\", \"―\", \"--\" or\n"
    "\"-\", with or without a space) is dropped, and a line that starts further in than\n"
    "the dashed line before it continues that utterance. Quotes around a whole\n"
    "utterance stay in its answer and out of its key. When every line of a dialogue\n"
    "starts with a speaker's name and a colon, as in a play or a chat log (\"ГАМЛЕТ:\n"
    "...\", \"[12:30] Вася: ...\"), the names are dropped. The program's own dialogue\n"
    "log (Base/Log.Halden) reads as dialogues too, a block each. The text may be\n"
    "UTF-8, Windows-1251 or KOI8-R, told apart line by line, or UTF-16 with its byte\n"
    "order mark. A line that cannot be taught is named with its number, and nothing\n"
    "is written: one holding \"^\", \"_\", \";\" or a control character, a character that\n"
    "Windows-1251 lacks, a key longer than the 255 characters the chat reads, or an\n"
    "utterance after a dialogue's 2,000th (each pair lies a level deeper: blank lines\n"
    "part dialogues). --skip-bad teaches the rest, each refused line ending its\n"
    "dialogue. An export document, and a file that is mostly not text, are refused\n"
    "whole. Each new line goes before the lines of its level whose key the chat\n"
    "would find in its utterance first, so that the chat reaches it. Then every pair\n"
    "is followed as a chat meets it; the summary says how many are answered as\n"
    "taught, and stderr names the others with the reason (the first 10; --verbose:\n"
    "all): a reply list takes it (an insult, or 110 characters or more), another\n"
    "tree line answers it, or it follows a pair that is not answered as taught.";

// What kb why tells.
constexpr std::string_view kWhyDetails =
    "kb why follows the chat's own steps for PHRASE on the tree as it is, changing\n"
    "nothing, and says which one answers it: a repeat of the phrase before, the\n"
    "insult list, the long-phrase gate (4 times in 6, and what answers otherwise),\n"
    "a tree line (its number and the key found in the phrase), or nothing, when the\n"
    "chat learns the phrase. --after REPLY asks it right after the chat gave REPLY\n"
    "from the first tree line that holds it, in that line's branch.";

const std::vector<Subcommand>& all() {
    static const std::vector<Subcommand> list{
        {"lines",
         {&kFile},
         runLines,
         "print a knowledge-base file as UTF-8 lines",
         "besedka kb lines Base/W2.Dat"},
        {"from-text",
         {&kIn, &kOut},
         runFromText,
         "write UTF-8 lines as a knowledge-base file",
         "besedka kb from-text replies.txt Base/W2.Dat"},
        {"check",
         {&kWorkdir},
         runCheck,
         "check the files and the tree grammar; list suspicious lines",
         "besedka kb check"},
        {"stats",
         {&kWorkdir},
         runStats,
         "count lines, depths, answers, dialogues and file sizes",
         "besedka kb stats"},
        {"find",
         {&kText, &kForgetCommand, &kWorkdir},
         runFind,
         "print the tree lines holding TEXT (any case) as N: line",
         "besedka kb find привет"},
        {"forget",
         {&kLineNumbers, &kExpect, &kDryRun, &kYes, &kNoBackup, &kWorkdir},
         runForget,
         "remove tree lines N with their branches",
         "besedka kb forget 12 40 --dry-run",
         UnknownOption::Refused},
        {"backups",
         {&kAll, &kPruneGone, &kYes, &kWorkdir},
         runBackups,
         "list the backups taken before each change, newest first",
         "besedka kb backups"},
        {"restore",
         {&kStamp, &kWithLog, &kWorkdir},
         runRestore,
         "put a backup back (the dialogue log stays unless --with-log)",
         "besedka kb restore 2026-12-07_12-30-05Z-12",
         UnknownOption::Refused},
        {"teach",
         {&kInput, &kSkipBad, &kDryRun, &kNoBackup, &kVerbose, &kWorkdir},
         runTeach,
         "teach the tree the dialogues of a text (blank line between)",
         "besedka kb teach dialogues.txt",
         UnknownOption::Refused,
         kTeachDetails},
        {"export",
         {&kWorkdir},
         runExport,
         "write the tree and the reply lists as one JSON document",
         "besedka kb export > kb.json"},
        {"import",
         {&kInput, &kNoBackup, &kWorkdir},
         runImport,
         "replace the files a JSON export names, after a backup",
         "besedka kb import kb.json"},
        {"merge",
         {&kSource, &kDryRun, &kNoBackup, &kWorkdir},
         runMerge,
         "add what another working directory or export knows",
         "besedka kb merge ../other",
         UnknownOption::Refused},
        {"why",
         {&kPhrase, &kAfter, &kWorkdir},
         runWhy,
         "which step of the chat would answer PHRASE now, and why",
         "besedka kb why 'почему небо синее?'",
         UnknownOption::TakenAsOperand,
         kWhyDetails},
        {"browse",
         {&kWorkdir},
         runBrowse,
         "open the knowledge window: search, correct, forget, restore",
         "besedka kb browse"},
    };
    return list;
}

// How the usage line shows an argument.
std::string usageWord(const Argument& argument) {
    const std::string name(argument.name);
    switch (argument.kind) {
    case Argument::Operand:
    case Argument::RepeatedOperand:
        return name;
    case Argument::ValuedOption:
        return "[" + name + " " + std::string(argument.value) + "]";
    case Argument::OptionalOperand:
    case Argument::Flag:
    case Argument::SoleFlag:
        break;
    }
    return "[" + name + "]";
}

} // namespace

bool Subcommand::takes(const Argument& argument) const {
    return std::find(arguments.begin(), arguments.end(), &argument) != arguments.end();
}

std::size_t Subcommand::minWords() const {
    return static_cast<std::size_t>(
        std::count_if(arguments.begin(), arguments.end(),
                      [](const Argument* argument) { return argument->isRequired(); }));
}

std::size_t Subcommand::maxWords() const {
    std::size_t words = 0;
    for (const Argument* argument : arguments) {
        switch (argument->kind) {
        case Argument::RepeatedOperand:
            return std::numeric_limits<std::size_t>::max();
        case Argument::ValuedOption:
            words += 2;
            break;
        case Argument::SoleFlag: // in place of the operands
            break;
        case Argument::Operand:
        case Argument::OptionalOperand:
        case Argument::Flag:
            ++words;
            break;
        }
    }
    return words;
}

std::size_t Subcommand::maxOperands() const {
    std::size_t operands = 0;
    for (const Argument* argument : arguments) {
        if (argument->kind == Argument::RepeatedOperand) {
            return std::numeric_limits<std::size_t>::max();
        }
        operands += argument->isOption() ? 0u : 1u;
    }
    return operands;
}

std::span<const Subcommand> subcommands() {
    return all();
}

std::string commandLine(const Subcommand& command) {
    std::string line = "besedka kb ";
    line += command.name;
    for (const std::string& word : usageWords(command)) {
        line += ' ';
        line += word;
    }
    return line;
}

std::vector<std::string> usageWords(const Subcommand& command) {
    std::vector<std::string> words;
    for (const Argument* argument : command.arguments) {
        words.push_back(usageWord(*argument));
    }
    return words;
}

} // namespace besedka::kb
