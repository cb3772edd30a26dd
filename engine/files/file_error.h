#pragma once

#include <stdexcept>
#include <string>
#include <system_error>

namespace besedka {

// The reason of a failed file operation as the system states it ("Permission
// denied"), in English whatever the locale, so that it fits any message.
std::string reasonText(const std::error_code& reason);

// The reason given when a path holds something other than a regular file (a
// FIFO, a device, a socket), which the program neither reads nor replaces.
std::error_code notARegularFile();

// A file that cannot be read or written. The message names the file as the
// program does, followed by the reason when there is one ("Cannot open file
// Base\Words.Dat: Permission denied"), in Windows-1251.
class FileError : public std::runtime_error {
  public:
    // Lock: the knowledge base's lock could not be taken, so nothing was
    // written ("Cannot lock Base: Permission denied").
    enum class Kind { Open, Create, Lock };

    FileError(Kind kind, const std::string& path, std::error_code reason = {})
        : std::runtime_error(opening(kind) + path +
                             (reason ? ": " + reasonText(reason) : std::string())),
          kind_(kind), path_(path), reason_(reason) {}

    Kind kind() const { return kind_; }
    const std::string& path() const { return path_; }
    const std::error_code& reason() const { return reason_; }

  private:
    static std::string opening(Kind kind) {
        switch (kind) {
        case Kind::Open:
            return "Cannot open file ";
        case Kind::Create:
            return "Cannot create file ";
        case Kind::Lock:
            break;
        }
        return "Cannot lock ";
    }

    Kind kind_;
    std::string path_;
    std::error_code reason_;
};

} // namespace besedka
