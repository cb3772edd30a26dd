#pragma once

#include <chrono>
#include <filesystem>
#include <functional>

namespace besedka {

// How long a wait for the knowledge base's lock goes untold.
inline constexpr std::chrono::seconds kLockPatience{3};

// Told when taking a lock has to wait long: waiting(true) before the wait goes
// on, waiting(false) once the lock is held.
using LockWaitObserver = std::function<void(bool waiting)>;

// An exclusive advisory lock (flock) on a directory itself, so that no lock
// file appears in it; held while the object lives. Other processes that lock
// the same directory wait for it. A directory that does not exist is not
// locked (there is nothing in it to change, and the file accesses that follow
// say what is missing); any other failure to open or lock it throws
// std::system_error, so that nothing is written unlocked.
class DirectoryLock {
  public:
    DirectoryLock(const std::filesystem::path& directory, std::chrono::milliseconds patience,
                  const LockWaitObserver& observer);
    ~DirectoryLock();
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

  private:
    void waitPatiently(std::chrono::milliseconds patience, const LockWaitObserver& observer);

    int fd_ = -1;
};

} // namespace besedka
