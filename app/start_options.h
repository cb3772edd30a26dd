#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace besedka {

class PathMap;

// The options' names, as every part of the command line spells them.
inline constexpr std::string_view kWorkdirOption = "--workdir";
inline constexpr std::string_view kDriveOption = "--drive";

// Whether `word` asks for help: --help or -h.
bool asksForHelp(std::string_view word);

// Options shared by the window and the terminal chat.
struct StartOptions {
    std::optional<std::filesystem::path> workdir;     // --workdir DIR
    std::vector<std::pair<char, std::string>> drives; // --drive D=DIR
};

// "--name=value" as the two words "--name" "value"; other words as they are.
std::vector<std::string> splitOptionValues(const std::vector<std::string>& args);

// Parses the options (either form); returns an error message for anything else.
std::optional<std::string> parseStartOptions(const std::vector<std::string>& args,
                                             StartOptions& options);

// What is wrong with the given working directory, if anything, with the exit
// status it ends the program with: 2 for "no such directory: DIR", 1 for one
// that cannot be used ("cannot use DIR: Too many levels of symbolic links").
struct WorkdirProblem {
    std::string message;
    int status;
};
std::optional<WorkdirProblem> workdirProblem(const StartOptions& options);

// The path map for these options: the working directory (see chooseWorkdir),
// drives from --drive, then BESEDKA_DRIVE_<LETTER>.
PathMap pathMapFor(const StartOptions& options);

} // namespace besedka
