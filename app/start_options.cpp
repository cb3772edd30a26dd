#include "start_options.h"

#include "files/path_map.h"
#include "workdir.h"

namespace besedka {

std::optional<std::string> parseStartOptions(const std::vector<std::string>& args,
                                             StartOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--workdir" && hasValue) {
            options.workdir = args[++i];
        } else if (arg == "--drive" && hasValue) {
            char letter = 0;
            std::string directory;
            if (!parseDriveOption(args[++i], letter, directory)) {
                return "--drive expects LETTER=DIR, got '" + args[i] + "'";
            }
            options.drives.emplace_back(letter, directory);
        } else if (arg == "--workdir" || arg == "--drive") {
            return arg + " needs a value";
        } else {
            return "unknown option '" + arg + "'";
        }
    }
    return std::nullopt;
}

PathMap pathMapFor(const StartOptions& options) {
    PathMap paths(chooseWorkdir(options.workdir, WorkdirEnvironment::current()));
    for (const auto& [letter, directory] : options.drives) {
        paths.setDrive(letter, directory);
    }
    paths.addDrivesFromEnvironment();
    return paths;
}

} // namespace besedka
