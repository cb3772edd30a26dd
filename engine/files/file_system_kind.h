#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace besedka {

// Whether a file system of the statfs type `type` (its f_type) is one that
// other computers reach over a network (NFS, SMB/CIFS, FUSE, AFS, Ceph, 9p):
// an flock taken on one computer is not seen on another there.
bool isNetworkFileSystem(std::uint64_t type);

// The statfs type of the file system that holds the open file `fd`; nothing
// when it cannot be told.
using FileSystemTypeProbe = std::function<std::optional<std::uint64_t>(int fd)>;
[[nodiscard]] std::optional<std::uint64_t> fileSystemType(int fd);

// Lets a test say what fileSystemType tells; an empty probe asks statfs again.
void setFileSystemTypeProbe(FileSystemTypeProbe probe);

} // namespace besedka
