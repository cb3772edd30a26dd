#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace besedka {

// `besedka kb --help`: a usage line, then the `kb` subcommands with their
// usage and summary, what they share, and an example of each.
void printKbHelp(std::ostream& out);
// The same under a heading in place of the usage line, for the program's help.
void printKbCommands(std::ostream& out);

// `besedka kb SUBCOMMAND ...`: knowledge-base file tool. `args` are the words
// after "kb". Returns the process exit status.

int runKbCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace besedka
