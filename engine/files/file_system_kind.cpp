#include "files/file_system_kind.h"

#include <algorithm>
#include <array>
#include <sys/vfs.h>

namespace besedka {
namespace {

// The f_type magic numbers of linux/magic.h and the file systems' own headers.
constexpr std::array<std::uint64_t, 10> kNetworkTypes{
    0x6969,     // NFS
    0x517B,     // SMB
    0xFE534D42, // SMB2
    0xFF534D42, // CIFS
    0x65735546, // FUSE (sshfs, rclone, ...)
    0x5346414F, // AFS
    0x6B414653, // kAFS
    0x00C36400, // Ceph
    0x01021997, // 9p (v9fs)
    0x013111A8, // IBRIX
};

FileSystemTypeProbe& probe() {
    static FileSystemTypeProbe current;
    return current;
}

} // namespace

bool isNetworkFileSystem(std::uint64_t type) {
    return std::find(kNetworkTypes.begin(), kNetworkTypes.end(), type) != kNetworkTypes.end();
}

std::optional<std::uint64_t> fileSystemType(int fd) {
    if (probe()) {
        return probe()(fd);
    }
    struct statfs info {};
    if (::fstatfs(fd, &info) != 0) {
        return std::nullopt;
    }
    // f_type is signed on some platforms: the magic numbers are its 32 bits.
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(info.f_type));
}

void setFileSystemTypeProbe(FileSystemTypeProbe probe) {
    besedka::probe() = std::move(probe);
}

} // namespace besedka
