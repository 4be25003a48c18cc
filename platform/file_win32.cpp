// Whole-file reads and atomic replacement on Windows: a temporary file beside the target,
// FlushFileBuffers, then ReplaceFileA (which keeps the original's attributes and security) or
// MoveFileExA for a new file.
#include <windows.h>

#include <algorithm>

#include "platform/file.h"
#include "platform/file_detail.h"

namespace rx::platform {

namespace {

std::string failure(const char* step, DWORD error) {
    return std::string(step) + ": error " + std::to_string(static_cast<unsigned long>(error));
}

}  // namespace

read_status read_whole_file(const std::string& path, std::string& bytes, std::size_t cap) {
    bytes.clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? read_status::missing
                                                                              : read_status::failed;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        CloseHandle(file);
        return read_status::failed;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > cap) {
        CloseHandle(file);
        return read_status::too_large;
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            CloseHandle(file);
            return read_status::failed;
        }
        if (got == 0) break;
        if (text.size() + got > cap) {
            CloseHandle(file);
            return read_status::too_large;
        }
        text.append(buffer, got);
    }
    CloseHandle(file);
    bytes = std::move(text);
    return read_status::ok;
}

std::string replace_file(const std::string& path, std::string_view bytes, unsigned, bool) {
    std::string temp;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temp =
            path + ".tmp." + std::to_string(GetCurrentProcessId()) + "." + std::to_string(attempt);
        if (detail::injected(replace_step::create)) break;
        file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (file == INVALID_HANDLE_VALUE)
        return failure("create", detail::injected(replace_step::create) ? ERROR_ACCESS_DENIED
                                                                        : GetLastError());
    auto give_up = [&](const char* step, DWORD error) {
        CloseHandle(file);
        DeleteFileA(temp.c_str());
        return failure(step, error);
    };
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD wrote = 0;
        if (detail::injected(replace_step::write)) return give_up("write", ERROR_DISK_FULL);
        if (!WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0)
            return give_up("write", GetLastError());
        done += wrote;
    }
    if (detail::injected(replace_step::flush)) return give_up("flush", ERROR_WRITE_FAULT);
    if (!FlushFileBuffers(file)) return give_up("flush", GetLastError());
    CloseHandle(file);
    if (detail::injected(replace_step::rename)) {
        DeleteFileA(temp.c_str());
        return failure("rename", ERROR_SHARING_VIOLATION);
    }
    bool exists = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    BOOL moved = exists ? ReplaceFileA(path.c_str(), temp.c_str(), nullptr,
                                       REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                        : MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH);
    if (!moved) {
        DWORD error = GetLastError();
        DeleteFileA(temp.c_str());
        return failure("rename", error);
    }
    return "";
}

}  // namespace rx::platform
