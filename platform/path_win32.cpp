// Program and DLL folders on Windows (GetModuleFileNameA, GetModuleHandleExA from an address).
#include <windows.h>

#include <string>
#include <vector>

#include "platform/path.h"

namespace rx::platform {

namespace {

// Full file name of `module` (null: the program), growing the buffer while Windows truncates it.
std::optional<std::string> module_file_name(HMODULE module) {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::nullopt;
        if (n < buffer.size()) return std::string(buffer.data(), n);
        if (buffer.size() >= 32768) return std::nullopt;
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<std::string> folder_of(const std::optional<std::string>& file) {
    if (!file) return std::nullopt;
    std::size_t cut = file->find_last_of("\\/");
    if (cut == std::string::npos) return std::nullopt;
    return file->substr(0, cut);
}

}  // namespace

std::optional<std::string> executable_directory() {
    return folder_of(module_file_name(nullptr));
}

std::optional<std::string> module_directory(const void* address) {
    if (address == nullptr) return std::nullopt;
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCSTR>(address), &module)) {
        return std::nullopt;
    }
    return folder_of(module_file_name(module));
}

}  // namespace rx::platform
