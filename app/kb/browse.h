#pragma once

#include <filesystem>
#include <functional>

namespace besedka::kb {

// Opens the knowledge window on a working directory and returns the exit
// status once it closes. The program registers it when the window is built
// in; the command-line library itself has no window.
using KnowledgeWindowStarter = std::function<int(const std::filesystem::path& workdir)>;
void setKnowledgeWindowStarter(KnowledgeWindowStarter starter);

} // namespace besedka::kb
