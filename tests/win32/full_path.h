// Windows test support: build paths as the Win32 API names them.
#pragma once
#include <windows.h>

#include <string>

namespace rx::test {

// A build path ("/work/...") as Windows names it ("Z:\work\..."); the path itself when Windows
// cannot name it.
inline std::string full_path(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, buffer, nullptr);
    return n > 0 && n < MAX_PATH ? std::string(buffer, n) : path;
}

}  // namespace rx::test
