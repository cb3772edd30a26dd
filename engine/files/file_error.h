#pragma once

#include "files/error.h"

#include <string>
#include <system_error>

namespace besedka {

// The reason of a failed file operation as the system states it ("Permission
// denied"), in English whatever the locale, so that it fits any message.
std::string reasonText(const std::error_code& reason);

// The reason given when a path holds something other than a regular file (a
// FIFO, a device, a socket), which the program neither reads nor replaces.
std::error_code notARegularFile();

// The reason given for a symbolic link that another user made, which the
// program does not follow (see followLinks).
std::error_code linkOfAnotherUser();

// A file that cannot be read or written. The message names the file as the
// program does, followed by the reason when there is one ("Cannot open file
// Base\Words.Dat: Permission denied").
class FileError : public Error {
  public:
    // Lock: the knowledge base's lock could not be taken, so nothing was
    // written ("Cannot lock Base: Permission denied").
    enum class Operation { Open, Create, Lock };

    // `path` is the program's Windows name of the file, in Windows-1251.
    FileError(Operation operation, const std::string& path, std::error_code reason = {});

    Operation operation() const { return operation_; }
    // The file's Windows name as the program gave it, in Windows-1251.
    const std::string& path() const { return path_; }
    const std::error_code& reason() const { return reason_; }

  private:
    Operation operation_;
    std::string path_;
    std::error_code reason_;
};

} // namespace besedka
