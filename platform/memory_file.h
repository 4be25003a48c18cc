// Files that live only in memory, for code that insists on opening a path: nothing reaches a disk.
#pragma once
#include <cstddef>
#include <memory>
#include <string>

namespace rx::platform {

class memory_file {
  public:
    // A file holding a copy of `size` bytes at `data`, readable through path() by this process
    // only while the object lives (on Windows: by the libraries loaded through dynamic_library,
    // whose C runtime file calls are redirected); null with the reason in `error` where the system
    // has no such files. `name` is only a label for diagnostics.
    static std::unique_ptr<memory_file> create(const std::string& name, const void* data,
                                               std::size_t size, std::string& error);
    ~memory_file();
    memory_file(const memory_file&) = delete;
    memory_file& operator=(const memory_file&) = delete;

    const std::string& path() const { return path_; }

  private:
    memory_file(int handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    int handle_;
    std::string path_;
};

}  // namespace rx::platform
