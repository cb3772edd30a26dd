// A preload library that counts the write-side system calls of a process and
// makes the N-th one kill the process or fail, so that every moment of a write
// path can be tested:
//
//   BESEDKA_FAULT_AT=N       the call to act on (none: only count)
//   BESEDKA_FAULT=crash      SIGKILL at that call (else ENOSPC, EIO or EACCES:
//                            the call fails with that error, once)
//   BESEDKA_FAULT_COUNT=F    write the number of calls to F at exit
//   BESEDKA_FAULT_TRACE=D    copy each file just renamed into place to D
//   BESEDKA_FAULT_FLOCK=1    every flock fails with ENOLCK (not counted)
//
// Only a process named besedka is counted, not the shell that starts it.
// Counted: opening a file for writing (open, openat, creat, mkstemp), making a
// temporary folder (mkdtemp), write, pwrite, writev, sendfile and
// copy_file_range on such a file, ftruncate, fsync, fdatasync, rename,
// renameat, renameat2, unlink, unlinkat, remove, rmdir, mkdir, mkdirat, and
// close of a file opened for writing. Standard output and error are not
// counted: the files are what is tested.
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

constexpr int kTrackedFds = 65536;

std::atomic<long> calls{0};
std::atomic<bool> writable[kTrackedFds];
long faultAt = 0;
int faultError = 0; // 0: crash
const char* countFile = nullptr;
const char* traceDir = nullptr;
bool flockFails = false;

template <typename Function> Function real(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

bool active = false; // only the program itself is counted, not a shell around it

__attribute__((constructor)) void setUp() {
    active = std::strcmp(program_invocation_short_name, "besedka") == 0;
    if (!active) {
        return;
    }
    if (const char* at = std::getenv("BESEDKA_FAULT_AT")) {
        faultAt = std::atol(at);
    }
    if (const char* kind = std::getenv("BESEDKA_FAULT")) {
        faultError = std::strcmp(kind, "ENOSPC") == 0   ? ENOSPC
                     : std::strcmp(kind, "EIO") == 0    ? EIO
                     : std::strcmp(kind, "EACCES") == 0 ? EACCES
                                                        : 0;
    }
    countFile = std::getenv("BESEDKA_FAULT_COUNT");
    traceDir = std::getenv("BESEDKA_FAULT_TRACE");
    flockFails = std::getenv("BESEDKA_FAULT_FLOCK") != nullptr;
}

__attribute__((destructor)) void tellCount() {
    if (!active || countFile == nullptr) {
        return;
    }
    if (FILE* out = std::fopen(countFile, "w")) {
        std::fprintf(out, "%ld\n", calls.load());
        std::fclose(out);
    }
}

// Counts one call; true when it is to fail (errno is set then).
bool injected() {
    if (!active) {
        return false;
    }
    const long number = ++calls;
    if (faultAt == 0 || number != faultAt) {
        return false;
    }
    if (faultError == 0) {
        ::kill(::getpid(), SIGKILL);
        ::pause();
    }
    errno = faultError;
    return true;
}

bool isTracked(int fd) {
    return fd >= 0 && fd < kTrackedFds && writable[fd].load();
}

void track(int fd, bool forWriting) {
    if (fd >= 0 && fd < kTrackedFds) {
        writable[fd] = forWriting;
    }
}

bool opensForWriting(int flags) {
    return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0;
}

mode_t modeOf(int flags, va_list& rest) {
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(rest, int)) : 0;
}

// Copies the file that now stands at `path` into the trace folder.
void trace(const char* path) {
    if (traceDir == nullptr) {
        return;
    }
    using Open = int (*)(const char*, int, ...);
    using Write = ssize_t (*)(int, const void*, size_t);
    static const auto openFile = real<Open>("open");
    static const auto writeFile = real<Write>("write");
    const int in = openFile(path, O_RDONLY | O_NONBLOCK);
    struct stat info {};
    if (in < 0 || ::fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (in >= 0) {
            ::close(in);
        }
        return;
    }
    const char* name = std::strrchr(path, '/');
    const std::string copy = std::string(traceDir) + "/" + std::to_string(calls.load()) + "-" +
                             (name != nullptr ? name + 1 : path);
    const int out = openFile(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    char buffer[65536];
    ssize_t got = 0;
    while (out >= 0 && (got = ::read(in, buffer, sizeof buffer)) > 0) {
        writeFile(out, buffer, static_cast<size_t>(got));
    }
    ::close(in);
    if (out >= 0) {
        ::close(out);
    }
}

} // namespace

extern "C" {

#define OPEN_WRAPPER(NAME)                                                                         \
    int NAME(const char* path, int flags, ...) {                                                   \
        va_list rest;                                                                              \
        va_start(rest, flags);                                                                     \
        const mode_t mode = modeOf(flags, rest);                                                   \
        va_end(rest);                                                                              \
        static const auto next = real<int (*)(const char*, int, ...)>(#NAME);                      \
        const bool writing = opensForWriting(flags);                                               \
        if (writing && injected()) {                                                               \
            return -1;                                                                             \
        }                                                                                          \
        const int fd = next(path, flags, mode);                                                    \
        track(fd, writing);                                                                        \
        return fd;                                                                                 \
    }
OPEN_WRAPPER(open)
OPEN_WRAPPER(open64)

#define OPENAT_WRAPPER(NAME)                                                                       \
    int NAME(int dir, const char* path, int flags, ...) {                                          \
        va_list rest;                                                                              \
        va_start(rest, flags);                                                                     \
        const mode_t mode = modeOf(flags, rest);                                                   \
        va_end(rest);                                                                              \
        static const auto next = real<int (*)(int, const char*, int, ...)>(#NAME);                 \
        const bool writing = opensForWriting(flags);                                               \
        if (writing && injected()) {                                                               \
            return -1;                                                                             \
        }                                                                                          \
        const int fd = next(dir, path, flags, mode);                                               \
        track(fd, writing);                                                                        \
        return fd;                                                                                 \
    }
OPENAT_WRAPPER(openat)
OPENAT_WRAPPER(openat64)

#define CREAT_WRAPPER(NAME)                                                                        \
    int NAME(const char* path, mode_t mode) {                                                      \
        static const auto next = real<int (*)(const char*, mode_t)>(#NAME);                        \
        if (injected()) {                                                                          \
            return -1;                                                                             \
        }                                                                                          \
        const int fd = next(path, mode);                                                           \
        track(fd, true);                                                                           \
        return fd;                                                                                 \
    }
CREAT_WRAPPER(creat)
CREAT_WRAPPER(creat64)

#define MKSTEMP_WRAPPER(NAME)                                                                      \
    int NAME(char* pattern) {                                                                      \
        static const auto next = real<int (*)(char*)>(#NAME);                                      \
        if (injected()) {                                                                          \
            return -1;                                                                             \
        }                                                                                          \
        const int fd = next(pattern);                                                              \
        track(fd, true);                                                                           \
        return fd;                                                                                 \
    }
MKSTEMP_WRAPPER(mkstemp)
MKSTEMP_WRAPPER(mkstemp64)

char* mkdtemp(char* pattern) {
    static const auto next = real<char* (*)(char*)>("mkdtemp");
    return injected() ? nullptr : next(pattern);
}

ssize_t write(int fd, const void* bytes, size_t size) {
    static const auto next = real<ssize_t (*)(int, const void*, size_t)>("write");
    return isTracked(fd) && injected() ? -1 : next(fd, bytes, size);
}

ssize_t writev(int fd, const struct iovec* pieces, int count) {
    static const auto next = real<ssize_t (*)(int, const struct iovec*, int)>("writev");
    return isTracked(fd) && injected() ? -1 : next(fd, pieces, count);
}

#define PWRITE_WRAPPER(NAME)                                                                       \
    ssize_t NAME(int fd, const void* bytes, size_t size, off_t offset) {                           \
        static const auto next = real<ssize_t (*)(int, const void*, size_t, off_t)>(#NAME);        \
        return isTracked(fd) && injected() ? -1 : next(fd, bytes, size, offset);                   \
    }
PWRITE_WRAPPER(pwrite)
PWRITE_WRAPPER(pwrite64)

#define SENDFILE_WRAPPER(NAME)                                                                     \
    ssize_t NAME(int out, int in, off_t* offset, size_t count) {                                   \
        static const auto next = real<ssize_t (*)(int, int, off_t*, size_t)>(#NAME);               \
        return injected() ? -1 : next(out, in, offset, count);                                     \
    }
SENDFILE_WRAPPER(sendfile)
SENDFILE_WRAPPER(sendfile64)

ssize_t copy_file_range(int in, off_t* inOffset, int out, off_t* outOffset, size_t count,
                        unsigned flags) {
    static const auto next =
        real<ssize_t (*)(int, off_t*, int, off_t*, size_t, unsigned)>("copy_file_range");
    return injected() ? -1 : next(in, inOffset, out, outOffset, count, flags);
}

#define FD_WRAPPER(NAME, TYPE)                                                                     \
    int NAME(int fd, TYPE value) {                                                                 \
        static const auto next = real<int (*)(int, TYPE)>(#NAME);                                  \
        return injected() ? -1 : next(fd, value);                                                  \
    }
FD_WRAPPER(ftruncate, off_t)
FD_WRAPPER(ftruncate64, off_t)

int fsync(int fd) {
    static const auto next = real<int (*)(int)>("fsync");
    return injected() ? -1 : next(fd);
}

int fdatasync(int fd) {
    static const auto next = real<int (*)(int)>("fdatasync");
    return injected() ? -1 : next(fd);
}

int close(int fd) {
    static const auto next = real<int (*)(int)>("close");
    const bool counted = isTracked(fd);
    track(fd, false);
    if (counted && injected()) {
        next(fd); // a failed close still frees the descriptor
        return -1;
    }
    return next(fd);
}

int rename(const char* from, const char* to) {
    static const auto next = real<int (*)(const char*, const char*)>("rename");
    if (injected()) {
        return -1;
    }
    const int result = next(from, to);
    if (result == 0) {
        trace(to);
    }
    return result;
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
    static const auto next = real<int (*)(int, const char*, int, const char*)>("renameat");
    return injected() ? -1 : next(fromDir, from, toDir, to);
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    static const auto next =
        real<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
    return injected() ? -1 : next(fromDir, from, toDir, to, flags);
}

#define PATH_WRAPPER(NAME)                                                                         \
    int NAME(const char* path) {                                                                   \
        static const auto next = real<int (*)(const char*)>(#NAME);                                \
        return injected() ? -1 : next(path);                                                       \
    }
PATH_WRAPPER(unlink)
PATH_WRAPPER(rmdir)
PATH_WRAPPER(remove)

int unlinkat(int dir, const char* path, int flags) {
    static const auto next = real<int (*)(int, const char*, int)>("unlinkat");
    return injected() ? -1 : next(dir, path, flags);
}

int mkdir(const char* path, mode_t mode) {
    static const auto next = real<int (*)(const char*, mode_t)>("mkdir");
    return injected() ? -1 : next(path, mode);
}

int mkdirat(int dir, const char* path, mode_t mode) {
    static const auto next = real<int (*)(int, const char*, mode_t)>("mkdirat");
    return injected() ? -1 : next(dir, path, mode);
}

// A lock that cannot be taken, as on a file system without locks.
int flock(int fd, int operation) {
    static const auto next = real<int (*)(int, int)>("flock");
    if (flockFails && (operation & LOCK_UN) == 0) {
        errno = ENOLCK;
        return -1;
    }
    return next(fd, operation);
}

} // extern "C"
