#pragma once

// The words a kb subcommand was given, its flags set apart.

#include "kb/arguments.h"
#include "kb/inputs.h"

#include <algorithm>
#include <vector>

namespace besedka::kb {

struct ParsedArgs {
    Args words; // the operands, and each valued option with its value, in order
    std::vector<const Argument*> flags; // the flags given

    bool has(const Argument& flag) const {
        return std::find(flags.begin(), flags.end(), &flag) != flags.end();
    }
};

} // namespace besedka::kb
