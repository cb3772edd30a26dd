#pragma once

// What a kb subcommand reads: the words it is given, the working directory
// they name and the bytes of a file or of standard input.

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace besedka::kb {

using Args = std::vector<std::string>;

// The working directory named by `args[at]` (Base itself or a file in it
// names the directory that holds it), else the one the chat and the window
// use; a message and nothing when there is no such directory.
std::optional<std::filesystem::path> workdirArgument(const Args& args, std::size_t at,
                                                     std::ostream& err);

// The working directory that `given` names: itself, or the one that holds it
// when it is Base or a file in Base.
std::filesystem::path workingDirectoryOf(const std::filesystem::path& given);

// The bytes of FILE, or of standard input for "-"; a message and nothing when
// it cannot be read or holds more than kMostDocumentBytes (then it is not
// read, and of standard input no more than that is read).
std::optional<std::string> readInput(const std::string& file, std::ostream& err);

} // namespace besedka::kb
