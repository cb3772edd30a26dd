#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace besedka {

// Maps the program's Windows paths ("Base\Words.Dat", "D:\Txt.Dat") onto the
// file system. Relative paths start at the working directory; a drive letter
// maps to a directory of its own. Each component matches an existing entry
// regardless of letter case, so "Base\Words.dat" and "base/WORDS.DAT" are
// one file.
class PathMap {
  public:
    explicit PathMap(std::filesystem::path workdir);

    // Maps drive letter `letter` ("D") to `directory`; overrides the default.
    void setDrive(char letter, std::filesystem::path directory);
    // Reads BESEDKA_DRIVE_<LETTER> variables for drives not set explicitly.
    void addDrivesFromEnvironment();

    const std::filesystem::path& workdir() const { return workdir_; }
    std::filesystem::path driveRoot(char letter) const;

    // `windowsPath` is Windows-1251; the result is a UTF-8 file-system path.
    std::filesystem::path resolve(std::string_view windowsPath) const;

  private:
    std::filesystem::path workdir_;
    std::map<char, std::filesystem::path> drives_;
};

// Whether two file names (UTF-8, as on disk) name one file to the program:
// alike but for the letter case of Latin and Cyrillic letters.
bool sameFileName(std::string_view a, std::string_view b);

// Parses "D=DIR" of --drive; returns false when malformed.
[[nodiscard]] bool parseDriveOption(std::string_view option, char& letter, std::string& directory);

} // namespace besedka
