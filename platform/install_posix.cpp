// Installing files on POSIX: lstat, mkdir, rename with the folder synced, and fsync'd new files.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/install.h"

namespace rx::platform {

namespace {

std::string folder_of(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// A rename is durable only once the folder's entries reach the disk.
void sync_folder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

path_kind kind_of(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return path_kind::missing;
    if (S_ISREG(info.st_mode)) return path_kind::file;
    if (S_ISDIR(info.st_mode)) return path_kind::folder;
    return path_kind::other;
}

bool create_folders(const std::string& path, std::vector<std::string>* created) {
    if (path.empty()) return false;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
    const std::string parent = folder_of(path);
    if (parent != path && !create_folders(parent, created)) return false;
    if (::mkdir(path.c_str(), 0755) != 0) {
        return errno == EEXIST && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }
    if (created) created->push_back(path);
    sync_folder(parent);
    return true;
}

bool remove_file(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool remove_empty_folder(const std::string& path) {
    return ::rmdir(path.c_str()) == 0;
}

bool move_file(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return false;
    sync_folder(folder_of(to));
    if (folder_of(from) != folder_of(to)) sync_folder(folder_of(from));
    return true;
}

unsigned file_mode(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return 0;
    return static_cast<unsigned>(info.st_mode & 07777);
}

output_file::~output_file() {
    abandon();
}

bool output_file::create(const std::string& path, unsigned mode) {
    abandon();
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd < 0) return false;
    // The umask must not take bits from a program file's permissions.
    ::fchmod(fd, static_cast<mode_t>(mode));
    handle_ = fd;
    return true;
}

bool output_file::write(const char* data, std::size_t size) {
    if (handle_ < 0) return false;
    const int fd = static_cast<int>(handle_);
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool output_file::finish(bool durable) {
    if (handle_ < 0) return false;
    const int fd = static_cast<int>(handle_);
    handle_ = -1;
    const bool synced = !durable || ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    return synced && closed;
}

void output_file::abandon() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
    handle_ = -1;
}

bool output_file::is_open() const {
    return handle_ >= 0;
}

}  // namespace rx::platform
