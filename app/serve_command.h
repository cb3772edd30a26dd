#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace besedka {

// `besedka serve --help`: the usage, the options, the routes and the errors,
// from the server's own tables.
void printServeHelp(std::ostream& out);

// `besedka serve ...`: the HTTP API over the working directory the chat
// would use. `args` are the words after "serve". Returns the exit status: 2
// for wrong usage (an address other than loopback without a token file
// among it), 1 when the server cannot start, 0 after a stop signal.
int runServeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace besedka
