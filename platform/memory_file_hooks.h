// Windows only: how a loaded library is given the in-memory files that memory_file makes.
#pragma once

namespace rx::platform::detail {

// Points the C runtime's file calls that `module` (an HMODULE) imports at versions that serve the
// paths of in-memory files from memory and pass every other path through: Windows has no path that
// another library's fopen could open without a file on a disk.
void serve_memory_files(void* module);

}  // namespace rx::platform::detail
