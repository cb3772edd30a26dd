#pragma once

// The forms in which kb subcommands print a tree line and a word, for a person
// to read and a shell to take back.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace besedka::kb {

// A tree line as `kb find` and `kb forget` show it: "N: line" in UTF-8.
std::string numberedLine(std::size_t number, std::string_view line);

// A word as a POSIX shell reads it back unchanged (quoted when it must be).
std::string shellQuoted(std::string_view word);

// "1 line", "2 lines": a count with the form of the noun it takes.
std::string counted(std::size_t count, std::string_view one, std::string_view many);

// A summary's rows, "label: value", the values in one column after the
// longest label.
struct SummaryRow {
    std::string label;
    std::string value;
};
std::string alignedRows(const std::vector<SummaryRow>& rows);

} // namespace besedka::kb
