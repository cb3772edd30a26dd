#pragma once

// What kb forget shows of the lines it removes or would remove.

#include "curation/tree.h"
#include "kb/inputs.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace besedka::kb {

// Each line as "N: line".
void printNumberedLines(const std::vector<NumberedLine>& lines, std::ostream& out);

// The lines the numbers name now, as the lines a removal expects ("" where
// a number names no line).
std::vector<std::string> linesAt(const std::vector<std::size_t>& numbers,
                                 const std::vector<NumberedLine>& shown);

// "2 lines (lines 3–4, 9)": how many lines, and which, in runs.
std::string countedLines(const std::vector<NumberedLine>& lines);

// The command that removes the lines at `numbers` only while they still hold
// what `shown` has there.
std::string forgetCommand(const std::vector<std::size_t>& numbers,
                          const std::vector<NumberedLine>& shown, const Args& workdir);

} // namespace besedka::kb
