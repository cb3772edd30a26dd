#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace besedka {

// `besedka irc ...`: the bot in the rooms of an IRC network, answering from
// the working directory's knowledge base through the conversation hub, until
// SIGTERM or SIGINT. Returns the exit status.
int runIrcCommand(int& argc, char** argv, const std::vector<std::string>& args,
                  const std::string& version);

void printIrcHelp(std::ostream& out);

} // namespace besedka
