#pragma once

#include "files/file_descriptor.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>

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
    // Takes the lock when no other process holds it, or lets go of it within
    // `patience`; nothing otherwise. Throws as the constructor does.
    [[nodiscard]] static std::optional<DirectoryLock>
    tryToLock(const std::filesystem::path& directory, std::chrono::milliseconds patience = {});
    DirectoryLock(DirectoryLock&& other) noexcept = default;
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

  private:
    explicit DirectoryLock(FileDescriptor fd) : fd_(std::move(fd)) {}
    void waitPatiently(std::chrono::milliseconds patience, const LockWaitObserver& observer);
    [[nodiscard]] bool pollFor(std::chrono::milliseconds patience);

    FileDescriptor fd_; // closing the last descriptor releases the lock
};

// What a terminal front end says, once, of a directory whose lock other
// computers do not see (see UnsharedLockListener).
std::string unsharedLockNotice(const std::filesystem::path& directory);

// Hears, while it lives, of the first lock taken on a directory that lies on
// a network file system: there the lock keeps out only the programs of this
// computer, not those of another computer using the same directory. Told once
// per listener, which a program makes once for its run.
class UnsharedLockListener {
  public:
    using Told = std::function<void(const std::filesystem::path& directory)>;
    explicit UnsharedLockListener(Told told);
    ~UnsharedLockListener();
    UnsharedLockListener(const UnsharedLockListener&) = delete;
    UnsharedLockListener& operator=(const UnsharedLockListener&) = delete;

    // Tells the listener of the moment, if any, of a lock just taken on `fd`.
    static void lockTaken(int fd, const std::filesystem::path& directory);

  private:
    Told told_;
    bool toldOnce_ = false;
    UnsharedLockListener* previous_;
};

} // namespace besedka
