#include "kb/argument_parser.h"

#include "kb/messages.h"
#include "start_options.h"

#include <algorithm>

namespace besedka::kb {
namespace {

// `--workdir DIR` and `--workdir=DIR`, as the chat and the window take them,
// become the WORKDIR argument at the end.
Args withWorkdirOption(const Subcommand& command, const Args& args) {
    if (!command.takes(kWorkdir)) {
        return args;
    }
    const std::string joined = std::string(kWorkdirOption) + "=";
    Args words;
    std::optional<std::string> workdir;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == kWorkdirOption && i + 1 < args.size()) {
            workdir = args[++i];
        } else if (args[i].starts_with(joined)) {
            workdir = args[i].substr(joined.size());
        } else {
            words.push_back(args[i]);
        }
    }
    if (workdir) {
        words.push_back(*workdir);
    }
    return words;
}

// The first operand that `given` words leave out: "find" without any is
// missing TEXT.
std::string_view missingOperand(const Subcommand& command, std::size_t given) {
    std::size_t required = 0;
    for (const Argument* argument : command.arguments) {
        if (argument->isRequired() && required++ == given) {
            return argument->name;
        }
    }
    return {};
}

const Argument* optionNamed(const Subcommand& command, std::string_view word) {
    const auto found = std::find_if(command.arguments.begin(), command.arguments.end(),
                                    [word](const Argument* argument) {
                                        return argument->isOption() && argument->name == word;
                                    });
    return found == command.arguments.end() ? nullptr : *found;
}

// Sets the flags apart from the other words; a valued option stays among
// them with its value, where its place tells what it applies to.
std::optional<ParsedArgs> takeOptions(const Subcommand& command, const Args& args,
                                      std::ostream& err) {
    const std::string name(command.name);
    ParsedArgs parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        const Argument* option = optionNamed(command, word);
        if (option != nullptr && option->kind != Argument::ValuedOption) {
            parsed.flags.push_back(option);
        } else if (option != nullptr) {
            if (i + 1 == args.size()) {
                usageError(err, name + ": " + word + " needs a value");
                return std::nullopt;
            }
            parsed.words.push_back(word);
            parsed.words.push_back(args[++i]);
        } else if (command.unknownOption == UnknownOption::Refused && word.starts_with('-') &&
                   word != "-") {
            usageError(err, name + ": unknown option \"" + word + "\"");
            return std::nullopt;
        } else {
            parsed.words.push_back(word);
        }
    }
    return parsed;
}

} // namespace

std::optional<ParsedArgs> parseArgs(const Subcommand& command, const Args& given,
                                    std::ostream& err) {
    const Args args = withWorkdirOption(command, given);
    const std::string name(command.name);
    if (args.size() < command.minWords()) {
        usageError(err, name + ": missing " + std::string(missingOperand(command, args.size())));
        return std::nullopt;
    }
    if (args.size() > command.maxWords()) {
        usageError(err, name + ": unexpected \"" + args[command.maxWords()] + "\"");
        return std::nullopt;
    }
    auto parsed = takeOptions(command, args, err);
    if (parsed) {
        // The flags not given leave room in the word count that operands
        // must not take.
        std::size_t operands = 0;
        for (std::size_t i = 0; i < parsed->words.size(); ++i) {
            const std::string& word = parsed->words[i];
            if (const Argument* option = optionNamed(command, word)) {
                i += option->kind == Argument::ValuedOption ? 1 : 0;
            } else if (++operands > command.maxOperands()) {
                usageError(err, name + ": unexpected \"" + word + "\"");
                return std::nullopt;
            }
        }
    }
    return parsed;
}

} // namespace besedka::kb
