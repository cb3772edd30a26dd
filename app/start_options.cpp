#include "start_options.h"

#include "files/file_error.h"
#include "files/path_map.h"
#include "workdir.h"

namespace besedka {

bool asksForHelp(std::string_view word) {
    return word == "--help" || word == "-h";
}

std::vector<std::string> splitOptionValues(const std::vector<std::string>& args) {
    std::vector<std::string> words;
    for (const std::string& arg : args) {
        const auto equals = arg.find('=');
        if (arg.starts_with("--") && equals != std::string::npos) {
            words.push_back(arg.substr(0, equals));
            words.push_back(arg.substr(equals + 1));
        } else {
            words.push_back(arg);
        }
    }
    return words;
}

std::optional<std::string> parseStartOptions(const std::vector<std::string>& args,
                                             StartOptions& options) {
    const std::vector<std::string> words = splitOptionValues(args);
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        const bool hasValue = i + 1 < words.size();
        if (word == kWorkdirOption && hasValue) {
            options.workdir = words[++i];
        } else if (word == kDriveOption && hasValue) {
            char letter = 0;
            std::string directory;
            if (!parseDriveOption(words[++i], letter, directory)) {
                return "--drive expects LETTER=DIR, got '" + words[i] + "'";
            }
            options.drives.emplace_back(letter, directory);
        } else if (word == kWorkdirOption || word == kDriveOption) {
            return word + " needs a value";
        } else {
            return "unknown option '" + word + "'";
        }
    }
    return std::nullopt;
}

std::optional<WorkdirProblem> workdirProblem(const StartOptions& options) {
    if (!options.workdir) {
        return std::nullopt;
    }
    std::error_code error;
    if (std::filesystem::is_directory(*options.workdir, error)) {
        return std::nullopt;
    }
    if (error && error != std::errc::no_such_file_or_directory) {
        return WorkdirProblem{"cannot use " + options.workdir->string() + ": " + reasonText(error),
                              1};
    }
    return WorkdirProblem{"no such directory: " + options.workdir->string(), 2};
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
