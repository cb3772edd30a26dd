#pragma once

// The options of a kb subcommand set apart from its other words.

#include "kb/inputs.h"

#include <initializer_list>
#include <iosfwd>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace besedka::kb {

struct OptionWords {
    std::set<std::string, std::less<>> flags; // the flags given
    Args words;                               // the other words, in order

    bool has(std::string_view flag) const { return flags.contains(flag); }
};

// Takes the `flags` out of `args`. A word in `valued` stays among the words
// with the word after it (its value); any other word starting with "-"
// (except "-", standard input) is a usage error naming it and `command`.
std::optional<OptionWords> parseOptions(const Args& args, std::string_view command,
                                        std::initializer_list<std::string_view> flags,
                                        std::ostream& err,
                                        std::initializer_list<std::string_view> valued = {});

} // namespace besedka::kb
