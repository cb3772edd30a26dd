#include "files/path_map.h"

#include "text/cp1251.h"
#include "text/russian.h"

#include <cctype>
#include <cstdlib>
#include <system_error>
#include <vector>

namespace besedka {
namespace fs = std::filesystem;
namespace {

char upperAscii(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// Folds a Windows-1251 name for comparison: Latin and Cyrillic letters alike.
std::string foldName(std::string_view name) {
    std::string folded = cyrillicUpper(name);
    for (char& c : folded) {
        c = upperAscii(c);
    }
    return folded;
}

std::vector<std::string> splitComponents(std::string_view path) {
    std::vector<std::string> parts;
    std::string current;
    for (const char c : path) {
        if (c == '\\' || c == '/') {
            if (!current.empty()) {
                parts.push_back(std::move(current));
                current.clear();
            }
        } else {
            current += c;
        }
    }
    if (!current.empty()) {
        parts.push_back(std::move(current));
    }
    return parts;
}

// The entry of `directory` whose name folds to the same as `name`; an exact
// match wins. Without one, the name as given (for files about to be made).
fs::path matchComponent(const fs::path& directory, const std::string& name) {
    const std::string utf8 = cp1251ToUtf8(name);
    std::error_code error;
    if (fs::exists(directory / utf8, error)) {
        return directory / utf8;
    }
    const std::string wanted = foldName(name);
    for (fs::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        const std::string candidate = utf8ToCp1251(it->path().filename().string());
        if (foldName(candidate) == wanted) {
            return it->path();
        }
    }
    return directory / utf8;
}

bool isDrive(const std::string& component) {
    return component.size() == 2 && component[1] == ':' &&
           std::isalpha(static_cast<unsigned char>(component[0]));
}

} // namespace

bool sameFileName(std::string_view a, std::string_view b) {
    return foldName(utf8ToCp1251(a)) == foldName(utf8ToCp1251(b));
}

PathMap::PathMap(fs::path workdir) : workdir_(std::move(workdir)) {}

void PathMap::setDrive(char letter, fs::path directory) {
    drives_[upperAscii(letter)] = std::move(directory);
}

void PathMap::addDrivesFromEnvironment() {
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string name = std::string("BESEDKA_DRIVE_") + letter;
        const char* value = std::getenv(name.c_str());
        if (value != nullptr && *value != '\0' && drives_.count(letter) == 0) {
            drives_[letter] = value;
        }
    }
}

fs::path PathMap::driveRoot(char letter) const {
    const auto it = drives_.find(upperAscii(letter));
    if (it != drives_.end()) {
        return it->second;
    }
    return matchComponent(workdir_, std::string(1, upperAscii(letter)));
}

fs::path PathMap::resolve(std::string_view windowsPath) const {
    std::vector<std::string> parts = splitComponents(windowsPath);
    fs::path result = workdir_;
    std::size_t first = 0;
    if (!parts.empty() && isDrive(parts[0])) {
        result = driveRoot(parts[0][0]);
        first = 1;
    }
    for (std::size_t i = first; i < parts.size(); ++i) {
        if (parts[i] == ".") {
            continue;
        }
        result = parts[i] == ".." ? result / ".." : matchComponent(result, parts[i]);
    }
    return result;
}

bool parseDriveOption(std::string_view option, char& letter, std::string& directory) {
    if (option.size() < 3 || option[1] != '=' ||
        !std::isalpha(static_cast<unsigned char>(option[0]))) {
        return false;
    }
    letter = upperAscii(option[0]);
    directory = std::string(option.substr(2));
    return true;
}

} // namespace besedka
