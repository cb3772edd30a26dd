#pragma once

// A yes-or-no question to a person at the terminal.

#include <iosfwd>
#include <string>

namespace besedka::kb {

// Whether the standard input is a terminal, where a person can answer.
bool inputIsTerminal();

// Asks `question` on `out` and reads the answer from the standard input:
// true for "y", "yes", "д" or "да" in any case.
bool confirmed(const std::string& question, std::ostream& out);

} // namespace besedka::kb
