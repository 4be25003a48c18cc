// Run-time libraries on Windows: LoadLibrary by full path, so the program folder's copy is taken.
#include <windows.h>

#include "platform/dynamic_library.h"

namespace rx::platform {

std::unique_ptr<dynamic_library> dynamic_library::open(const std::string& path,
                                                       std::string& error) {
    // The altered search order lets a core find the libraries it needs beside itself.
    HMODULE handle = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!handle) {
        error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    return std::unique_ptr<dynamic_library>(new dynamic_library(handle));
}

dynamic_library::~dynamic_library() {
    FreeLibrary(static_cast<HMODULE>(handle_));
}

void* dynamic_library::symbol(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

}  // namespace rx::platform
