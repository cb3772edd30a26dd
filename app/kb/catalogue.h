#pragma once

// The kb subcommands: their names, the words they take, summaries and
// examples, as the dispatcher, the help and the usage messages show them.

#include "kb/arguments.h"
#include "kb/parsed_args.h"

#include <cstddef>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace besedka::kb {

// What a subcommand makes of a word starting with "-" that is none of its
// options: wrong usage, or an operand, as a file or directory may be named.
enum class UnknownOption { TakenAsOperand, Refused };

struct Subcommand {
    std::string_view name;
    std::vector<const Argument*> arguments; // in the order of its usage line
    int (*run)(const ParsedArgs&, std::ostream&, std::ostream&);
    std::string_view summary;
    std::string_view example;
    UnknownOption unknownOption = UnknownOption::TakenAsOperand;
    // What its help and the program's help tell besides, in lines of at most
    // 80 characters.
    std::string_view details = {};

    bool takes(const Argument& argument) const;
    // How many words it takes at least, and at most.
    std::size_t minWords() const;
    std::size_t maxWords() const;
    // How many of them may be operands.
    std::size_t maxOperands() const;
};

std::span<const Subcommand> subcommands();

// "besedka kb NAME ARGUMENTS".
std::string commandLine(const Subcommand& command);
// ARGUMENTS, a word each as the usage line shows it: "FILE", "[--expect LINE]".
std::vector<std::string> usageWords(const Subcommand& command);

} // namespace besedka::kb
