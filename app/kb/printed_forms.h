#pragma once

// The forms in which kb subcommands print a tree line and a word, for a person
// to read and a shell to take back.

#include <cstddef>
#include <string>
#include <string_view>

namespace besedka::kb {

// A tree line as `kb find` and `kb forget` show it: "N: line" in UTF-8.
std::string numberedLine(std::size_t number, std::string_view line);

// A word as a POSIX shell reads it back unchanged (quoted when it must be).
std::string shellQuoted(std::string_view word);

} // namespace besedka::kb
