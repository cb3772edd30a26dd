#pragma once

#include <stdexcept>
#include <string>

namespace besedka {

// A file that cannot be read or written. The message names the file as the
// program does ("Cannot open file Base\Words.Dat"), in Windows-1251.
class FileError : public std::runtime_error {
  public:
    enum class Kind { Open, Create };

    FileError(Kind kind, const std::string& path)
        : std::runtime_error((kind == Kind::Open ? "Cannot open file " : "Cannot create file ") +
                             path),
          kind_(kind), path_(path) {}

    Kind kind() const { return kind_; }
    const std::string& path() const { return path_; }

  private:
    Kind kind_;
    std::string path_;
};

} // namespace besedka
