#pragma once

namespace besedka {

class PathMap;

// Starts the chat window on the working directory of `paths` and runs the
// event loop until the window closes. Returns the process exit status.
int runWindow(int& argc, char** argv, const PathMap& paths);

} // namespace besedka
