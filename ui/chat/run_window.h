#pragma once

#include <functional>

namespace besedka {

class MainWindow;
class PathMap;

// Starts the chat window on the working directory of `paths` and runs the
// event loop until the window closes. Returns the process exit status.
// `shown`, when given, runs once the window is shown (a measuring run hooks
// in there).
int runWindow(int& argc, char** argv, const PathMap& paths,
              const std::function<void(MainWindow&)>& shown = {});

} // namespace besedka
