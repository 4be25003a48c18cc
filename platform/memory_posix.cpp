// Large-page advice on POSIX: transparent huge pages through madvise where the kernel offers them.
#include <sys/mman.h>

#include "platform/memory.h"

namespace rx::platform {

void advise_large_pages(void* address, std::size_t size) {
#ifdef MADV_HUGEPAGE
    if (address != nullptr && size != 0) madvise(address, size, MADV_HUGEPAGE);
#else
    (void)address;
    (void)size;
#endif
}

}  // namespace rx::platform
