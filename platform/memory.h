// Large heap blocks: asking the system to back them with large pages where it can.
#pragma once
#include <cstddef>

namespace rx::platform {

// Alignment that lets a large block be backed by large pages.
inline constexpr std::size_t large_page_alignment = 2u * 1024u * 1024u;

// Hints that the block at `address` (aligned to large_page_alignment) will be filled at once, so
// fewer, larger pages serve it; filling tens of megabytes page by page costs more than the copy
// itself. A no-op where unsupported.
void advise_large_pages(void* address, std::size_t size);

}  // namespace rx::platform
