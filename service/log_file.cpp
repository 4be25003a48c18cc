// Size-rotated, owner-only log files.
#include "service/log_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace rx::service {

log_file::~log_file() {
    if (fd_ >= 0) ::close(fd_);
}

void log_file::configure(std::string path, std::uint64_t max_bytes, int keep) {
    std::lock_guard lock(mutex_);
    path_ = std::move(path);
    max_bytes_ = max_bytes;
    keep_ = keep;
}

bool log_file::open() {
    std::lock_guard lock(mutex_);
    return open_locked();
}

bool log_file::open_locked() {
    if (fd_ >= 0) return true;
    fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) return false;
    // A log left by an older run may be readable by others: it holds what players sent.
    ::fchmod(fd_, 0600);
    struct stat st {};
    size_ = ::fstat(fd_, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    return true;
}

void log_file::rotate_locked() {
    ::close(fd_);
    fd_ = -1;
    const std::string oldest = path_ + "." + std::to_string(keep_);
    ::unlink(oldest.c_str());
    for (int i = keep_ - 1; i >= 1; --i)
        ::rename((path_ + "." + std::to_string(i)).c_str(),
                 (path_ + "." + std::to_string(i + 1)).c_str());
    ::rename(path_.c_str(), (path_ + ".1").c_str());
}

void log_file::write(std::string_view bytes) {
    std::lock_guard lock(mutex_);
    if (path_.empty()) return;
    if (!open_locked()) return;
    if (size_ > 0 && size_ + bytes.size() > max_bytes_) {
        rotate_locked();
        if (!open_locked()) return;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;  // a full disk loses log lines, never the service
        }
        done += static_cast<std::size_t>(n);
    }
    size_ += done;
}

}  // namespace rx::service
