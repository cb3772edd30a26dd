#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace besedka {

// What decides the working directory when none is given.
struct WorkdirEnvironment {
    std::filesystem::path currentDirectory;
    std::optional<std::string> xdgDataHome; // $XDG_DATA_HOME
    std::optional<std::string> home;        // $HOME
    // Folders that may hold the installed starter data, most likely first.
    std::vector<std::filesystem::path> starterCandidates;

    // The environment of this process.
    static WorkdirEnvironment current();
};

// The user's data directory: $XDG_DATA_HOME/besedka, else ~/.local/share/besedka.
std::filesystem::path userDataDirectory(const WorkdirEnvironment& environment);

// The first candidate that holds starter data (a Base folder).
std::optional<std::filesystem::path> findStarterData(const WorkdirEnvironment& environment);

// Copies every file of `from` that `to` lacks, except into a Base that is
// there already; never overwrites. `to` and the folders above it are made
// and flushed where missing. The copy is built and flushed in a hidden
// folder inside `to`, moved into place with Base last and flushed there
// before the hidden folder goes, so that a kill or a power loss leaves
// either no Base (the next start fills it again) or a whole one, and never
// loses an entry already moved. Returns the number of files copied.
int copyMissingFiles(const std::filesystem::path& from, const std::filesystem::path& to);

// The working directory: the given one; else the current directory when it
// holds Base; else the user's data directory, filled from the starter data
// while it lacks one of the starter's top entries or holds a stage of an
// earlier copy (a first start cut short).
std::filesystem::path chooseWorkdir(const std::optional<std::filesystem::path>& given,
                                    const WorkdirEnvironment& environment);

} // namespace besedka
