#pragma once

// The kb subcommands: their names, arguments, summaries and examples, as the
// dispatcher, the help and the usage messages show them.

#include "kb/inputs.h"

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace besedka::kb {

struct Subcommand {
    std::string_view name;
    std::string_view arguments;
    std::size_t minArgs;
    std::size_t maxArgs;
    int (*run)(const Args&, std::ostream&, std::ostream&);
    std::string_view summary;
    std::string_view example;
};

std::span<const Subcommand> subcommands();

// "besedka kb NAME ARGUMENTS".
std::string commandLine(const Subcommand& command);

} // namespace besedka::kb
