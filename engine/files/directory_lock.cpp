#include "files/directory_lock.h"

#include "files/atomic_file.h"
#include "files/file_error.h"
#include "files/file_system_kind.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>

namespace besedka {
namespace {

constexpr std::chrono::milliseconds kFirstPause{1};
constexpr std::chrono::milliseconds kLongestPause{50};

UnsharedLockListener* listener = nullptr;

[[noreturn]] void refuse(int error) {
    throw std::system_error(error, std::system_category());
}

// Whether the lock was taken; false while another process holds it.
[[nodiscard]] bool tryLock(int fd) {
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return true;
        }
        if (errno == EWOULDBLOCK) {
            return false;
        }
        if (errno != EINTR) {
            refuse(errno);
        }
    }
}

void waitForLock(int fd) {
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            refuse(errno);
        }
    }
}

FileDescriptor openDirectory(const std::filesystem::path& directory) {
    // The folder's files are followed only through links of the user the
    // program runs as; a folder that is such a link of another user is not.
    std::error_code planted;
    static_cast<void>(followLinks(directory, planted));
    if (planted == linkOfAnotherUser()) {
        throw std::system_error(planted);
    }
    FileDescriptor fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid() && errno != ENOENT && errno != ENOTDIR) {
        refuse(errno);
    }
    return fd;
}

} // namespace

DirectoryLock::DirectoryLock(const std::filesystem::path& directory,
                             std::chrono::milliseconds patience, const LockWaitObserver& observer)
    : fd_(openDirectory(directory)) {
    if (fd_.valid() && !tryLock(fd_.get())) {
        waitPatiently(patience, observer);
    }
    UnsharedLockListener::lockTaken(fd_.get(), directory);
}

std::optional<DirectoryLock> DirectoryLock::tryToLock(const std::filesystem::path& directory,
                                                      std::chrono::milliseconds patience) {
    DirectoryLock lock(openDirectory(directory));
    if (lock.fd_.valid() && !tryLock(lock.fd_.get()) && !lock.pollFor(patience)) {
        return std::nullopt;
    }
    UnsharedLockListener::lockTaken(lock.fd_.get(), directory);
    return lock;
}

void DirectoryLock::waitPatiently(std::chrono::milliseconds patience,
                                  const LockWaitObserver& observer) {
    // Polled at first so that a long wait can be told; then simply waited for.
    if (pollFor(patience)) {
        return;
    }
    if (observer) {
        observer(true);
    }
    waitForLock(fd_.get());
    if (observer) {
        observer(false);
    }
}

// Tries the lock again, more and more slowly, until `patience` is over;
// whether it was taken.
bool DirectoryLock::pollFor(std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    auto pause = kFirstPause;
    while (std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(pause);
        if (tryLock(fd_.get())) {
            return true;
        }
        pause = std::min(pause * 2, kLongestPause);
    }
    return false;
}

std::string unsharedLockNotice(const std::filesystem::path& directory) {
    return directory.string() +
           " is on a network file system: its lock is not seen by other computers, so two "
           "computers using this folder at the same time are not protected";
}

UnsharedLockListener::UnsharedLockListener(Told told)
    : told_(std::move(told)), previous_(std::exchange(listener, this)) {}

UnsharedLockListener::~UnsharedLockListener() {
    listener = previous_;
}

void UnsharedLockListener::lockTaken(int fd, const std::filesystem::path& directory) {
    if (listener == nullptr || listener->toldOnce_ || fd < 0) {
        return;
    }
    const auto type = fileSystemType(fd);
    if (type && isNetworkFileSystem(*type)) {
        listener->toldOnce_ = true;
        listener->told_(directory);
    }
}

} // namespace besedka
