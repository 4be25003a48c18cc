// In-memory files on Linux: an anonymous memfd, opened again by others through /proc/self/fd.
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/memory_file.h"

namespace rx::platform {

std::unique_ptr<memory_file> memory_file::create(const std::string& name, const void* data,
                                                 std::size_t size, std::string& error) {
    int fd = memfd_create(name.c_str(), MFD_CLOEXEC);
    if (fd < 0) {
        error = std::string("cannot create an in-memory file: ") + std::strerror(errno);
        return nullptr;
    }
    const char* at = static_cast<const char*>(data);
    std::size_t left = size;
    while (left > 0) {
        ssize_t wrote = write(fd, at, left);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            error = std::string("cannot fill an in-memory file: ") + std::strerror(errno);
            close(fd);
            return nullptr;
        }
        at += wrote;
        left -= static_cast<std::size_t>(wrote);
    }
    return std::unique_ptr<memory_file>(new memory_file(fd, "/proc/self/fd/" + std::to_string(fd)));
}

memory_file::~memory_file() {
    close(handle_);
}

}  // namespace rx::platform
