// rx_service's log files: private to the service's user and rotated by size so none grows without
// bound.
#pragma once
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace rx::service {

class log_file {
  public:
    // Nothing is opened until the first write, so a log that is never written leaves no file.
    log_file() = default;
    ~log_file();
    log_file(const log_file&) = delete;
    log_file& operator=(const log_file&) = delete;

    // The file, the size past which it is rotated and how many rotated files are kept
    // (PATH.1 newest ... PATH.keep oldest).
    void configure(std::string path, std::uint64_t max_bytes, int keep);
    // Opens (creating it with mode 0600, and making an older file 0600) now; false when it cannot.
    bool open();
    // Appends the bytes whole; a write that would take the file past its size rotates it first.
    void write(std::string_view bytes);

  private:
    bool open_locked();
    void rotate_locked();

    std::mutex mutex_;
    std::string path_;
    std::uint64_t max_bytes_ = 4u << 20;
    int keep_ = 3;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

}  // namespace rx::service
