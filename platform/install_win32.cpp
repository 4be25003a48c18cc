// Installing files on Windows: attributes, CreateDirectoryA, MoveFileExA (a running program's file
// may be renamed, not overwritten) and new files flushed with FlushFileBuffers.
#include <windows.h>

#include "platform/install.h"

namespace rx::platform {

namespace {

std::string folder_of(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    return path.substr(0, slash);
}

HANDLE as_handle(std::intptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}

}  // namespace

path_kind kind_of(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return path_kind::missing;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return path_kind::other;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return path_kind::folder;
    if (attributes & FILE_ATTRIBUTE_DEVICE) return path_kind::other;
    return path_kind::file;
}

bool create_folders(const std::string& path, std::vector<std::string>* created) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::string parent = folder_of(path);
    // A drive root ("C:") always exists; stop there.
    if (parent != path && parent.size() > 2 && !create_folders(parent, created)) return false;
    if (!CreateDirectoryA(path.c_str(), nullptr)) {
        const DWORD now = GetFileAttributesA(path.c_str());
        return GetLastError() == ERROR_ALREADY_EXISTS && now != INVALID_FILE_ATTRIBUTES &&
               (now & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    if (created) created->push_back(path);
    return true;
}

bool remove_file(const std::string& path) {
    return DeleteFileA(path.c_str()) != 0;
}

bool remove_empty_folder(const std::string& path) {
    return RemoveDirectoryA(path.c_str()) != 0;
}

bool move_file(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

unsigned file_mode(const std::string&) {
    return 0;
}

output_file::~output_file() {
    abandon();
}

bool output_file::create(const std::string& path, unsigned) {
    abandon();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return true;
}

bool output_file::write(const char* data, std::size_t size) {
    if (handle_ == -1) return false;
    while (size > 0) {
        const DWORD chunk = size > (1u << 20) ? (1u << 20) : static_cast<DWORD>(size);
        DWORD wrote = 0;
        if (!WriteFile(as_handle(handle_), data, chunk, &wrote, nullptr) || wrote == 0)
            return false;
        data += wrote;
        size -= wrote;
    }
    return true;
}

bool output_file::finish(bool durable) {
    if (handle_ == -1) return false;
    HANDLE file = as_handle(handle_);
    handle_ = -1;
    const bool flushed = !durable || FlushFileBuffers(file) != 0;
    const bool closed = CloseHandle(file) != 0;
    return flushed && closed;
}

void output_file::abandon() {
    if (handle_ != -1) CloseHandle(as_handle(handle_));
    handle_ = -1;
}

bool output_file::is_open() const {
    return handle_ != -1;
}

}  // namespace rx::platform
