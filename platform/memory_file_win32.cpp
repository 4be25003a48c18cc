// In-memory files on Windows: none that another library could open by a path, so none are made.
#include "platform/memory_file.h"

namespace rx::platform {

std::unique_ptr<memory_file> memory_file::create(const std::string&, const void*, std::size_t,
                                                 std::string& error) {
    error = "in-memory files are not available on this system";
    return nullptr;
}

memory_file::~memory_file() = default;

}  // namespace rx::platform
