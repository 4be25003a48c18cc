// Large-page advice on Windows: large pages need a privilege users lack, so ordinary pages serve.
#include "platform/memory.h"

namespace rx::platform {

void advise_large_pages(void*, std::size_t) {}

}  // namespace rx::platform
