#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace besedka {

// `besedka chat [--workdir DIR] [--drive D=DIR]`: the terminal chat. `args`
// are the words after "chat". Returns the process exit status.
int runChatCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err);

} // namespace besedka
