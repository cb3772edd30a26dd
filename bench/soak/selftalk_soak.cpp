// The long self-talk run: the real window under X, talking to itself every
// millisecond, with real input sent while it talks. See bench/selftalk_soak.sh.
#include "chat/main_window.h"
#include "chat/run_window.h"
#include "files/kb_paths.h"
#include "files/path_map.h"
#include "soak_run.h"
#include "talk/heap_policy.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

namespace {

int usage() {
    std::cerr << "usage: selftalk_soak --workdir DIR [--seconds N] [--sample-seconds N]\n"
                 "                     [--input-period-ms N] [--screenshot FILE.png] [--csv "
                 "FILE]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    besedka::keepLargeBlocksForReuse(); // as the program does
    besedka::soak::SoakOptions options;
    std::filesystem::path workdir;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view name = argv[i];
        const std::string value = argv[i + 1];
        if (name == "--workdir") {
            workdir = value;
        } else if (name == "--seconds") {
            options.seconds = std::stoi(value);
        } else if (name == "--sample-seconds") {
            options.sampleSeconds = std::stoi(value);
        } else if (name == "--input-period-ms") {
            options.inputPeriodMs = std::stoi(value);
        } else if (name == "--screenshot") {
            options.screenshot = value;
        } else if (name == "--csv") {
            options.csv = value;
        } else {
            return usage();
        }
    }
    if (workdir.empty() || argc % 2 == 0) {
        return usage();
    }
    besedka::PathMap paths(workdir);
    paths.addDrivesFromEnvironment();
    options.treeFile = paths.resolve(besedka::paths::kWords);
    const auto log = paths.resolve(besedka::paths::kLog);
    std::error_code error;
    const auto logBefore = std::filesystem::file_size(log, error);

    int qtArgc = 1;
    const int status = besedka::runWindow(qtArgc, argv, paths, [&](besedka::MainWindow& window) {
        new besedka::soak::SoakRun(window, options); // owned by the window
    });
    const auto logAfter = std::filesystem::file_size(log, error);
    std::cout << "The program ended with status " << status << "; the dialogue log grew from "
              << logBefore << " to " << logAfter << " bytes.\n";
    if (status == 0 && logAfter <= logBefore) {
        return 4;
    }
    return status;
}
