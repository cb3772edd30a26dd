#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace besedka {

// `besedka kb SUBCOMMAND ...`: knowledge-base file tool. `args` are the words
// after "kb". Returns the process exit status.
// The `kb` subcommands, one line each, and an example of each.
void printKbHelp(std::ostream& out);

int runKbCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace besedka
