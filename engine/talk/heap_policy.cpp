#include "talk/heap_policy.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace besedka {

void keepLargeBlocksForReuse() {
#if defined(__GLIBC__)
    constexpr int kMegabyte = 1 << 20;
    ::mallopt(M_MMAP_THRESHOLD, 64 * kMegabyte);
    ::mallopt(M_TRIM_THRESHOLD, 128 * kMegabyte);
#endif
}

} // namespace besedka
