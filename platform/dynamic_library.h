// Shared libraries loaded at run time by path: the emulator cores.
#pragma once
#include <memory>
#include <string>
#include <string_view>

namespace rx::platform {

class dynamic_library {
  public:
    // Loads the library at `path` with every symbol resolved now; null with the system's reason in
    // `error` when it is missing or cannot be loaded (an unresolved dependency, a wrong format).
    static std::unique_ptr<dynamic_library> open(const std::string& path, std::string& error);
    ~dynamic_library();
    dynamic_library(const dynamic_library&) = delete;
    dynamic_library& operator=(const dynamic_library&) = delete;

    // The address of an exported symbol; null when the library does not export it.
    void* symbol(const char* name) const;

  private:
    explicit dynamic_library(void* handle) : handle_(handle) {}
    void* handle_;
};

// The file name on this system of a library named as on Linux: "nestopia_libretro.so" is
// "nestopia_libretro.dll" on Windows; a name without ".so" is kept.
std::string library_file_name(std::string_view name);

}  // namespace rx::platform
