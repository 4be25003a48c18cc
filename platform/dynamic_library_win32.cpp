// Run-time libraries on Windows: LoadLibraryEx by full path, with the library's own folder and the
// system folder as the only places its dependencies come from.
#include <windows.h>

#include <vector>

#include "platform/dynamic_library.h"
#include "platform/memory_file_hooks.h"

namespace rx::platform {

namespace {

std::wstring wide(const std::string& text) {
    if (text.empty()) return std::wstring();
    int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length);
    return out;
}

}  // namespace

std::unique_ptr<dynamic_library> dynamic_library::open(const std::string& path,
                                                       std::string& error) {
    // The search flags want a full path; the working folder and PATH never supply a library, so a
    // planted DLL of the same name elsewhere is not picked up.
    const std::wstring given = wide(path);
    DWORD length = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    std::vector<wchar_t> full(length ? length : 1);
    if (length == 0 || GetFullPathNameW(given.c_str(), length, full.data(), nullptr) == 0) {
        error =
            "cannot load " + path + " (no full path, error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    HMODULE handle = LoadLibraryExW(
        full.data(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!handle) {
        error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    detail::serve_memory_files(handle);
    return std::unique_ptr<dynamic_library>(new dynamic_library(handle));
}

dynamic_library::~dynamic_library() {
    FreeLibrary(static_cast<HMODULE>(handle_));
}

void* dynamic_library::symbol(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

std::string library_file_name(std::string_view name) {
    constexpr std::string_view so = ".so";
    if (name.size() > so.size() && name.substr(name.size() - so.size()) == so) {
        return std::string(name.substr(0, name.size() - so.size())) + ".dll";
    }
    return std::string(name);
}

}  // namespace rx::platform
