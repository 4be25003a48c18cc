// Whole-file reads and atomic replacement on POSIX: mkstemp beside the target, fsync, rename.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file.h"
#include "platform/file_detail.h"

namespace rx::platform {

namespace {

std::string failure(const char* step, int error) {
    return std::string(step) + ": " + std::strerror(error);
}

std::string folder_of(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The file's bytes on the disk before the rename makes them the file: otherwise a crash soon after
// could leave the new name on empty or partial data.
int flush_to_disk(int fd) {
    detail::taking(replace_step::flush);
    return fsync(fd);
}

}  // namespace

read_status read_whole_file(const std::string& path, std::string& bytes, std::size_t cap) {
    bytes.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? read_status::missing : read_status::failed;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return read_status::failed;
    }
    if (static_cast<unsigned long long>(info.st_size) > cap) {
        ::close(fd);
        return read_status::too_large;
    }
    std::string text;
    text.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return read_status::failed;
        }
        if (n == 0) break;
        if (text.size() + static_cast<std::size_t>(n) > cap) {
            ::close(fd);
            return read_status::too_large;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    bytes = std::move(text);
    return read_status::ok;
}

std::string replace_file(const std::string& path, std::string_view bytes, unsigned new_file_mode,
                         bool force_mode) {
    std::string temp = path + ".tmp.XXXXXX";
    detail::taking(replace_step::create);
    int fd = detail::injected(replace_step::create) ? (errno = EACCES, -1) : mkstemp(temp.data());
    if (fd < 0) return failure("create", errno);
    auto give_up = [&](const char* step, int error) {
        ::close(fd);
        ::unlink(temp.c_str());
        return failure(step, error);
    };
    struct stat original {};
    mode_t mode = !force_mode && ::stat(path.c_str(), &original) == 0
                      ? (original.st_mode & 07777)
                      : static_cast<mode_t>(new_file_mode);
    if (fchmod(fd, mode) != 0) return give_up("permissions", errno);
    std::size_t done = 0;
    while (done < bytes.size()) {
        detail::taking(replace_step::write);
        ssize_t n = detail::injected(replace_step::write)
                        ? (errno = ENOSPC, -1)
                        : ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return give_up("write", n < 0 ? errno : EIO);
        done += static_cast<std::size_t>(n);
    }
    if (detail::injected(replace_step::flush) || flush_to_disk(fd) != 0)
        return give_up("flush", detail::injected(replace_step::flush) ? EIO : errno);
    if (::close(fd) != 0) {
        int error = errno;
        ::unlink(temp.c_str());
        return failure("close", error);
    }
    detail::taking(replace_step::rename);
    if (detail::injected(replace_step::rename) || ::rename(temp.c_str(), path.c_str()) != 0) {
        int error = detail::injected(replace_step::rename) ? EBUSY : errno;
        ::unlink(temp.c_str());
        return failure("rename", error);
    }
    // The rename itself must reach the disk too, or a crash could bring back the old file.
    int dir = ::open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        ::close(dir);
    }
    return "";
}

}  // namespace rx::platform
