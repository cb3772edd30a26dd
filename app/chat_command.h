#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace besedka {

// The usage, the commands and the options of the terminal chat.
void printChatHelp(std::ostream& out);

// The terminal chat's commands, as one line: "/new /undo ...".
std::string chatCommandNames();

// `besedka chat [--workdir DIR] [--drive D=DIR]`: the terminal chat. `args`
// are the words after "chat". With `greet` (a person at a terminal) it names
// the commands and prompts for each phrase on `err`; `out` stays the pane's
// lines alone. Returns the process exit status.
int runChatCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err, bool greet = false);

} // namespace besedka
