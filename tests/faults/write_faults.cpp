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
//   BESEDKA_FAULT_LOG=F      log every call that changed a file or a folder to
//                            F, a line each, the bytes written to F.data: what
//                            the power-loss test rebuilds disk states from
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
#include <mutex>
#include <string>
#include <string_view>
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
int logFd = -1;  // the call log, when asked for
int dataFd = -1; // the bytes the logged writes wrote
std::mutex logLock;

template <typename Function> Function real(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

// Only the program itself (and its test tools named besedka-...) is counted,
// not a shell around it.
bool active = false;

__attribute__((constructor)) void setUp() {
    const std::string_view name = program_invocation_short_name;
    active = name == "besedka" || name.starts_with("besedka-");
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
    if (const char* log = std::getenv("BESEDKA_FAULT_LOG")) {
        using Open = int (*)(const char*, int, ...);
        static const auto openFile = real<Open>("open");
        logFd = openFile(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        dataFd = openFile((std::string(log) + ".data").c_str(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    }
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

// The call log of BESEDKA_FAULT_LOG: "OPERATION<TAB>PATH[<TAB>...]" a line,
// absolute paths, after each call that succeeded.
std::string absolute(const char* path) {
    if (path[0] == '/') {
        return path;
    }
    char here[4096];
    return std::string(::getcwd(here, sizeof here) != nullptr ? here : ".") + "/" + path;
}

std::string pathOf(int fd) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[4096];
    const ssize_t size = ::readlink(link, target, sizeof target - 1);
    return size > 0 ? std::string(target, static_cast<size_t>(size)) : std::string();
}

std::string pathAt(int dir, const char* path) {
    return path[0] == '/' || dir == AT_FDCWD ? absolute(path) : pathOf(dir) + "/" + path;
}

void logLine(const std::string& line) {
    using Write = ssize_t (*)(int, const void*, size_t);
    static const auto writeFile = real<Write>("write");
    const std::string whole = line + "\n";
    writeFile(logFd, whole.data(), whole.size());
}

void logCall(const char* operation, const std::string& path, const std::string& more = {}) {
    if (!active || logFd < 0) {
        return;
    }
    const std::lock_guard<std::mutex> hold(logLock);
    logLine(std::string(operation) + "\t" + path + (more.empty() ? "" : "\t" + more));
}

// A write of `size` bytes at `offset` of the file open at `fd`.
void logWrite(int fd, off_t offset, const void* bytes, size_t size) {
    if (!active || logFd < 0 || size == 0) {
        return;
    }
    using Write = ssize_t (*)(int, const void*, size_t);
    static const auto writeFile = real<Write>("write");
    const std::lock_guard<std::mutex> hold(logLock);
    writeFile(dataFd, bytes, size);
    logLine("write\t" + pathOf(fd) + "\t" + std::to_string(offset) + "\t" + std::to_string(size));
}

// Where the next write() to `fd` lands.
off_t writePosition(int fd) {
    if ((::fcntl(fd, F_GETFL) & O_APPEND) != 0) {
        struct stat info {};
        return ::fstat(fd, &info) == 0 ? info.st_size : 0;
    }
    return ::lseek(fd, 0, SEEK_CUR);
}

// A write done by the kernel from another file: read back from the file.
void logCopiedRange(int fd, off_t offset, ssize_t size) {
    if (!active || logFd < 0 || size <= 0) {
        return;
    }
    using Open = int (*)(const char*, int, ...);
    static const auto openFile = real<Open>("open");
    const int in = openFile(pathOf(fd).c_str(), O_RDONLY | O_CLOEXEC);
    std::string bytes(static_cast<size_t>(size), '\0');
    const bool read = in >= 0 && ::pread(in, bytes.data(), bytes.size(), offset) == size;
    if (in >= 0) {
        ::close(in);
    }
    if (read) {
        logWrite(fd, offset, bytes.data(), bytes.size());
    }
}

void logOpen(int fd, const std::string& path, int flags) {
    if (fd >= 0 && (flags & (O_CREAT | O_TRUNC)) != 0) {
        logCall("open", path, (flags & O_TRUNC) != 0 ? "truncate" : "");
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
        logOpen(fd, absolute(path), flags);                                                        \
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
        logOpen(fd, pathAt(dir, path), flags);                                                     \
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
        logOpen(fd, absolute(path), O_CREAT | O_TRUNC);                                            \
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
        logOpen(fd, absolute(pattern), O_CREAT);                                                   \
        return fd;                                                                                 \
    }
MKSTEMP_WRAPPER(mkstemp)
MKSTEMP_WRAPPER(mkstemp64)

char* mkdtemp(char* pattern) {
    static const auto next = real<char* (*)(char*)>("mkdtemp");
    if (injected()) {
        return nullptr;
    }
    char* made = next(pattern);
    if (made != nullptr) {
        logCall("mkdir", absolute(made));
    }
    return made;
}

ssize_t write(int fd, const void* bytes, size_t size) {
    static const auto next = real<ssize_t (*)(int, const void*, size_t)>("write");
    if (!isTracked(fd)) {
        return next(fd, bytes, size);
    }
    if (injected()) {
        return -1;
    }
    const off_t at = writePosition(fd);
    const ssize_t written = next(fd, bytes, size);
    if (written > 0) {
        logWrite(fd, at, bytes, static_cast<size_t>(written));
    }
    return written;
}

ssize_t writev(int fd, const struct iovec* pieces, int count) {
    static const auto next = real<ssize_t (*)(int, const struct iovec*, int)>("writev");
    if (!isTracked(fd)) {
        return next(fd, pieces, count);
    }
    if (injected()) {
        return -1;
    }
    const off_t at = writePosition(fd);
    const ssize_t written = next(fd, pieces, count);
    logCopiedRange(fd, at, written);
    return written;
}

#define PWRITE_WRAPPER(NAME)                                                                       \
    ssize_t NAME(int fd, const void* bytes, size_t size, off_t offset) {                           \
        static const auto next = real<ssize_t (*)(int, const void*, size_t, off_t)>(#NAME);        \
        if (!isTracked(fd)) {                                                                      \
            return next(fd, bytes, size, offset);                                                  \
        }                                                                                          \
        if (injected()) {                                                                          \
            return -1;                                                                             \
        }                                                                                          \
        const ssize_t written = next(fd, bytes, size, offset);                                     \
        if (written > 0) {                                                                         \
            logWrite(fd, offset, bytes, static_cast<size_t>(written));                             \
        }                                                                                          \
        return written;                                                                            \
    }
PWRITE_WRAPPER(pwrite)
PWRITE_WRAPPER(pwrite64)

#define SENDFILE_WRAPPER(NAME)                                                                     \
    ssize_t NAME(int out, int in, off_t* offset, size_t count) {                                   \
        static const auto next = real<ssize_t (*)(int, int, off_t*, size_t)>(#NAME);               \
        if (injected()) {                                                                          \
            return -1;                                                                             \
        }                                                                                          \
        const off_t at = writePosition(out);                                                       \
        const ssize_t written = next(out, in, offset, count);                                      \
        logCopiedRange(out, at, written);                                                          \
        return written;                                                                            \
    }
SENDFILE_WRAPPER(sendfile)
SENDFILE_WRAPPER(sendfile64)

ssize_t copy_file_range(int in, off_t* inOffset, int out, off_t* outOffset, size_t count,
                        unsigned flags) {
    static const auto next =
        real<ssize_t (*)(int, off_t*, int, off_t*, size_t, unsigned)>("copy_file_range");
    if (injected()) {
        return -1;
    }
    const off_t at = outOffset != nullptr ? *outOffset : writePosition(out);
    const ssize_t written = next(in, inOffset, out, outOffset, count, flags);
    logCopiedRange(out, at, written);
    return written;
}

#define TRUNCATE_WRAPPER(NAME)                                                                     \
    int NAME(int fd, off_t size) {                                                                 \
        static const auto next = real<int (*)(int, off_t)>(#NAME);                                 \
        if (injected()) {                                                                          \
            return -1;                                                                             \
        }                                                                                          \
        const int result = next(fd, size);                                                         \
        if (result == 0) {                                                                         \
            logCall("truncate", pathOf(fd), std::to_string(size));                                 \
        }                                                                                          \
        return result;                                                                             \
    }
TRUNCATE_WRAPPER(ftruncate)
TRUNCATE_WRAPPER(ftruncate64)

#define SYNC_WRAPPER(NAME)                                                                         \
    int NAME(int fd) {                                                                             \
        static const auto next = real<int (*)(int)>(#NAME);                                        \
        if (injected()) {                                                                          \
            return -1;                                                                             \
        }                                                                                          \
        const int result = next(fd);                                                               \
        if (result == 0) {                                                                         \
            logCall("sync", pathOf(fd));                                                           \
        }                                                                                          \
        return result;                                                                             \
    }
SYNC_WRAPPER(fsync)
SYNC_WRAPPER(fdatasync)

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

// Logs a rename that succeeded; `to` is traced as it now stands.
int renamed(int result, const std::string& from, const std::string& to) {
    if (result == 0) {
        logCall("rename", from, to);
        trace(to.c_str());
    }
    return result;
}

int rename(const char* from, const char* to) {
    static const auto next = real<int (*)(const char*, const char*)>("rename");
    return injected() ? -1 : renamed(next(from, to), absolute(from), absolute(to));
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
    static const auto next = real<int (*)(int, const char*, int, const char*)>("renameat");
    return injected()
               ? -1
               : renamed(next(fromDir, from, toDir, to), pathAt(fromDir, from), pathAt(toDir, to));
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    static const auto next =
        real<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
    return injected() ? -1
                      : renamed(next(fromDir, from, toDir, to, flags), pathAt(fromDir, from),
                                pathAt(toDir, to));
}

#define PATH_WRAPPER(NAME, LOGGED)                                                                 \
    int NAME(const char* path) {                                                                   \
        static const auto next = real<int (*)(const char*)>(#NAME);                                \
        if (injected()) {                                                                          \
            return -1;                                                                             \
        }                                                                                          \
        const std::string whole = absolute(path);                                                  \
        const int result = next(path);                                                             \
        if (result == 0) {                                                                         \
            logCall(LOGGED, whole);                                                                \
        }                                                                                          \
        return result;                                                                             \
    }
PATH_WRAPPER(unlink, "remove")
PATH_WRAPPER(rmdir, "remove")
PATH_WRAPPER(remove, "remove")

int unlinkat(int dir, const char* path, int flags) {
    static const auto next = real<int (*)(int, const char*, int)>("unlinkat");
    if (injected()) {
        return -1;
    }
    const std::string whole = pathAt(dir, path);
    const int result = next(dir, path, flags);
    if (result == 0) {
        logCall("remove", whole);
    }
    return result;
}

int mkdir(const char* path, mode_t mode) {
    static const auto next = real<int (*)(const char*, mode_t)>("mkdir");
    if (injected()) {
        return -1;
    }
    const int result = next(path, mode);
    if (result == 0) {
        logCall("mkdir", absolute(path));
    }
    return result;
}

int mkdirat(int dir, const char* path, mode_t mode) {
    static const auto next = real<int (*)(int, const char*, mode_t)>("mkdirat");
    if (injected()) {
        return -1;
    }
    const int result = next(dir, path, mode);
    if (result == 0) {
        logCall("mkdir", pathAt(dir, path));
    }
    return result;
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
