#pragma once

// The words given to a kb subcommand, read as its declared arguments say.

#include "kb/catalogue.h"
#include "kb/inputs.h"
#include "kb/parsed_args.h"

#include <iosfwd>
#include <optional>

namespace besedka::kb {

// `--workdir DIR` (or `--workdir=DIR`) becomes the WORKDIR operand of a
// subcommand that takes one; too few or too many words, an option without
// its value or (where refused) an unknown one is wrong usage, told on `err`.
std::optional<ParsedArgs> parseArgs(const Subcommand& command, const Args& given,
                                    std::ostream& err);

} // namespace besedka::kb
