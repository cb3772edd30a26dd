#pragma once

namespace besedka {

class PathMap;

// Starts the knowledge window on the working directory of `paths` and runs
// the event loop until it closes. Returns the process exit status.
int runKnowledgeWindow(int& argc, char** argv, const PathMap& paths);

} // namespace besedka
