#include "kb/catalogue.h"

#include "kb/subcommands.h"

#include <algorithm>
#include <limits>

namespace besedka::kb {
namespace {

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
         "check the files and the tree's grammar; list suspicious lines",
         "besedka kb check"},
        {"stats",
         {&kWorkdir},
         runStats,
         "count lines, depths, answers, dialogues and file sizes",
         "besedka kb stats"},
        {"find",
         {&kText, &kWorkdir},
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
         {&kAll, &kWorkdir},
         runBackups,
         "list the backups taken before each change (--all: of every working directory)",
         "besedka kb backups"},
        {"restore",
         {&kStamp, &kWithLog, &kWorkdir},
         runRestore,
         "put a backup back (the dialogue log stays unless --with-log)",
         "besedka kb restore 2026-12-07_12-30-05Z-12",
         UnknownOption::Refused},
        {"teach",
         {&kInput, &kSkipBad, &kDryRun, &kNoBackup, &kWorkdir},
         runTeach,
         "teach the tree the dialogues of a text (blank line between)",
         "besedka kb teach dialogues.txt",
         UnknownOption::Refused},
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
        {"browse",
         {&kWorkdir},
         runBrowse,
         "open the knowledge window: see, search, correct, forget, restore",
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

std::span<const Subcommand> subcommands() {
    return all();
}

std::string commandLine(const Subcommand& command) {
    std::string line = "besedka kb ";
    line += command.name;
    for (const Argument* argument : command.arguments) {
        line += ' ';
        line += usageWord(*argument);
    }
    return line;
}

} // namespace besedka::kb
