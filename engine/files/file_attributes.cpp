#include "files/file_attributes.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace besedka {
namespace fs = std::filesystem;
namespace {

void copyExtendedAttributes(const fs::path& from, int to) {
    const ssize_t size = ::listxattr(from.c_str(), nullptr, 0);
    if (size <= 0) {
        return;
    }
    std::string names(static_cast<std::size_t>(size), '\0');
    const ssize_t got = ::listxattr(from.c_str(), names.data(), names.size());
    names.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    for (std::size_t at = 0; at < names.size(); at += std::strlen(names.c_str() + at) + 1) {
        const char* name = names.c_str() + at;
        const ssize_t length = ::getxattr(from.c_str(), name, nullptr, 0);
        std::string value(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
        if (length >= 0 && ::getxattr(from.c_str(), name, value.data(), value.size()) == length) {
            // As far as the process may: some attributes are for root only.
            static_cast<void>(::fsetxattr(to, name, value.data(), value.size(), 0));
        }
    }
}

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

std::error_code copyFileAttributes(const fs::path& from, int to) {
    struct stat info {};
    if (::stat(from.c_str(), &info) != 0) {
        return ::fchmod(to, newFileMode()) == 0 ? std::error_code()
                                                : std::error_code(errno, std::system_category());
    }
    // Writable by its owner while it gets the attributes, which an
    // unprivileged process may set only on a file it may write.
    static_cast<void>(::fchmod(to, S_IRUSR | S_IWUSR));
    copyExtendedAttributes(from, to);
    if (::fchown(to, info.st_uid, info.st_gid) != 0) {
        static_cast<void>(::fchown(to, static_cast<uid_t>(-1), info.st_gid));
    }
    // Last, as a change of owner may clear some mode bits.
    if (::fchmod(to, info.st_mode & 07777) != 0) {
        return {errno, std::system_category()};
    }
    return {};
}

} // namespace besedka
