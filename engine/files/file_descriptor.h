#pragma once

#include <unistd.h>
#include <utility>

namespace besedka {

// Owns a file descriptor and closes it when it goes out of scope; -1 is none.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor& operator=(FileDescriptor&&) = delete;

    bool valid() const { return fd_ >= 0; }
    int get() const { return fd_; }
    // Gives the descriptor up to the caller, who closes it.
    int release() { return std::exchange(fd_, -1); }
    // Closes now, saying whether the close succeeded (a write may report its
    // failure only there).
    [[nodiscard]] bool close() { return ::close(release()) == 0; }

  private:
    int fd_;
};

} // namespace besedka
