#pragma once

#include "path_map.h"

#include <string>
#include <string_view>

namespace besedka {

// Reads and writes the program's files by their Windows names. Failures throw
// FileError naming the file as the program does.
class FileStore {
  public:
    explicit FileStore(PathMap paths) : paths_(std::move(paths)) {}
    virtual ~FileStore() = default;

    virtual std::string read(std::string_view windowsPath) const;
    // Replaces the whole file; the old file survives any failure.
    virtual void write(std::string_view windowsPath, std::string_view bytes) const;

    const PathMap& paths() const { return paths_; }
    PathMap& paths() { return paths_; }

  private:
    PathMap paths_;
};

} // namespace besedka
