#include "files/file_compare.h"

#include "files/file_descriptor.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace besedka {
namespace {

// Reads up to `size` bytes; fewer only at the end of the file. -1 on error.
ssize_t readFully(int fd, char* into, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, into + got, size - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return -1;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

bool sameContent(int fd, std::string_view bytes) {
    std::array<char, 128 * 1024> piece;
    for (;;) {
        const ssize_t got = readFully(fd, piece.data(), piece.size());
        if (got < 0) {
            return false;
        }
        const auto size = static_cast<std::size_t>(got);
        if (size > bytes.size() || std::memcmp(piece.data(), bytes.data(), size) != 0) {
            return false;
        }
        bytes.remove_prefix(size);
        if (size < piece.size()) {
            return bytes.empty(); // the end of the file
        }
    }
}

} // namespace

bool fileHoldsExactly(const std::filesystem::path& path, std::string_view bytes) {
    // Non-blocking, so that a FIFO put in the file's place cannot hang us.
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    return fd.valid() && ::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode) &&
           static_cast<std::size_t>(info.st_size) == bytes.size() && sameContent(fd.get(), bytes);
}

} // namespace besedka
