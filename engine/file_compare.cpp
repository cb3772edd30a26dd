#include "file_compare.h"

#include <csetjmp>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace besedka {
namespace {

// The file is compared through a mapping of its pages, which reads them
// without a copy. A file that another program cuts short while it is
// compared makes the mapping's missing pages raise SIGBUS; the handler then
// ends the compare as "changed" instead of ending the program.
struct MappedCompare {
    sigjmp_buf jump;
    const char* begin = nullptr;
    const char* end = nullptr;
};
thread_local MappedCompare* activeCompare = nullptr;
struct sigaction previousBusHandler {};

void onBusError(int signal, siginfo_t* info, void* context) {
    MappedCompare* const compare = activeCompare;
    const auto* const address = static_cast<const char*>(info->si_addr);
    if (compare != nullptr && address >= compare->begin && address < compare->end) {
        activeCompare = nullptr;
        siglongjmp(compare->jump, 1);
    }
    // Not ours: whoever handled it before does, or the program ends as it
    // would have.
    if ((previousBusHandler.sa_flags & SA_SIGINFO) != 0 &&
        previousBusHandler.sa_sigaction != nullptr) {
        previousBusHandler.sa_sigaction(signal, info, context);
        return;
    }
    ::sigaction(SIGBUS, &previousBusHandler, nullptr);
    ::raise(signal);
}

bool catchBusErrors() {
    static std::once_flag installed;
    static bool ready = false;
    std::call_once(installed, [] {
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        ready = ::sigaction(SIGBUS, &action, &previousBusHandler) == 0;
    });
    return ready;
}

bool sameMappedContent(int fd, std::string_view bytes) {
    if (bytes.empty()) {
        return true;
    }
    void* const pages = ::mmap(nullptr, bytes.size(), PROT_READ, MAP_SHARED | MAP_POPULATE, fd, 0);
    if (pages == MAP_FAILED) {
        return false;
    }
    MappedCompare compare;
    compare.begin = static_cast<const char*>(pages);
    compare.end = compare.begin + bytes.size();
    volatile bool same = false;
    if (sigsetjmp(compare.jump, 1) == 0) {
        activeCompare = &compare;
        same = std::memcmp(pages, bytes.data(), bytes.size()) == 0;
        activeCompare = nullptr;
    }
    ::munmap(pages, bytes.size());
    return same;
}

} // namespace

bool fileHoldsExactly(const std::filesystem::path& path, std::string_view bytes) {
    // Non-blocking, so that a FIFO put in the file's place cannot hang us.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const auto holdsSize = [fd, &bytes] {
        struct stat info {};
        return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
               static_cast<std::size_t>(info.st_size) == bytes.size();
    };
    // Asked again afterwards: bytes added meanwhile lie beyond the mapping.
    const bool same =
        holdsSize() && catchBusErrors() && sameMappedContent(fd, bytes) && holdsSize();
    ::close(fd);
    return same;
}

} // namespace besedka
