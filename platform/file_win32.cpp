// Whole-file reads and atomic replacement on Windows: a temporary file beside the target,
// FlushFileBuffers, then ReplaceFileA with a backup name (it keeps the original's attributes and
// security) or MoveFileExA for a new file.
#include <windows.h>
// sddl.h needs windows.h first.
#include <sddl.h>

#include <algorithm>

#include "platform/file.h"
#include "platform/file_detail.h"

namespace rx::platform {

namespace {

std::string failure(const char* step, DWORD error) {
    return std::string(step) + ": error " + std::to_string(static_cast<unsigned long>(error));
}

// The file's bytes on the disk before the rename makes them the file: otherwise a crash soon after
// could leave the new name on empty or partial data.
BOOL flush_to_disk(HANDLE file) {
    detail::taking(replace_step::flush);
    return FlushFileBuffers(file);
}

DWORD replace_in_place(const std::string& target, const std::string& replacement,
                       const std::string& backup) {
    detail::taking(replace_step::rename);
    if (auto stand_in = detail::system_replace_stand_in.load())
        return stand_in(target, replacement, backup);
    if (ReplaceFileA(target.c_str(), replacement.c_str(), backup.empty() ? nullptr : backup.c_str(),
                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return ERROR_SUCCESS;
    return GetLastError();
}

bool present(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A name beside the target that no file has yet (a folder full of leftovers reuses the last one).
std::string free_name(const std::string& stem) {
    std::string name;
    for (unsigned n = 0; n < 1000; ++n) {
        name = stem + "." + std::to_string(n);
        if (!present(name)) break;
    }
    return name;
}

// ReplaceFileA may fail before it touched anything, after it moved the original to the backup
// name, or (by its own account) after it removed the original. Whatever it left, a whole file goes
// back to the path: the original when it is there or at the backup name, else the new file, which
// is complete and on the disk. Only then is the rest removed.
std::string after_failed_replace(const std::string& path, const std::string& temp,
                                 const std::string& backup, DWORD error) {
    if (!present(path)) {
        const bool restored =
            present(backup) && MoveFileExA(backup.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH);
        if (!restored) {
            if (!present(temp) || !MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH))
                return failure("rename", error) + "; the old file is " + backup +
                       " and the new one " + temp;
            // The new bytes are in place, which is what was asked.
            DeleteFileA(backup.c_str());
            return "";
        }
    }
    DeleteFileA(temp.c_str());
    DeleteFileA(backup.c_str());
    return failure("rename", error);
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

// A file only its owner may open: a protected access list with the one entry for the owner, so
// nothing is inherited from the folder.
class owner_only_security {
  public:
    owner_only_security() {
        if (ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;FA;;;OW)", SDDL_REVISION_1,
                                                                 &descriptor_, nullptr)) {
            attributes_.nLength = sizeof attributes_;
            attributes_.lpSecurityDescriptor = descriptor_;
            attributes_.bInheritHandle = FALSE;
        }
    }
    ~owner_only_security() {
        if (descriptor_) LocalFree(descriptor_);
    }
    owner_only_security(const owner_only_security&) = delete;
    owner_only_security& operator=(const owner_only_security&) = delete;
    SECURITY_ATTRIBUTES* attributes() { return descriptor_ ? &attributes_ : nullptr; }
    bool ok() const { return descriptor_ != nullptr; }

  private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

std::string replace_file(const std::string& path, std::string_view bytes, unsigned new_file_mode,
                         bool force_mode) {
    // The POSIX mode's meaning where Windows has one: a forced mode open to the owner alone (a
    // key, a password) makes the file the owner's alone from its creation on.
    const bool owner_only = force_mode && (new_file_mode & 077) == 0;
    owner_only_security security;
    if (owner_only && !security.ok()) return failure("permissions", GetLastError());
    std::string temp;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temp =
            path + ".tmp." + std::to_string(GetCurrentProcessId()) + "." + std::to_string(attempt);
        if (detail::injected(replace_step::create)) break;
        detail::taking(replace_step::create);
        file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0,
                           owner_only ? security.attributes() : nullptr, CREATE_NEW,
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
        detail::taking(replace_step::write);
        if (!WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0)
            return give_up("write", GetLastError());
        done += wrote;
    }
    if (detail::injected(replace_step::flush)) return give_up("flush", ERROR_WRITE_FAULT);
    if (!flush_to_disk(file)) return give_up("flush", GetLastError());
    CloseHandle(file);
    if (detail::injected(replace_step::rename)) {
        DeleteFileA(temp.c_str());
        return failure("rename", ERROR_SHARING_VIOLATION);
    }
    if (present(path)) {
        // The original is moved to a name of our own first, so a call that fails half way never
        // leaves it where nobody knows.
        const std::string backup =
            free_name(path + ".old." + std::to_string(GetCurrentProcessId()));
        const DWORD error = replace_in_place(path, temp, backup);
        if (error == ERROR_SUCCESS) {
            DeleteFileA(backup.c_str());
            return "";
        }
        return after_failed_replace(path, temp, backup, error);
    }
    detail::taking(replace_step::rename);
    BOOL moved = MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH);
    if (!moved) {
        DWORD error = GetLastError();
        DeleteFileA(temp.c_str());
        return failure("rename", error);
    }
    return "";
}

}  // namespace rx::platform
