// Program and shared-library folders on POSIX (/proc/self/exe and dladdr).
#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/path.h"

namespace rx::platform {

namespace {

std::optional<std::string> parent_of(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return std::nullopt;
    if (slash == 0) return std::string("/");
    return path.substr(0, slash);
}

// True when `address` lies in a loaded segment of the main program (the object without a name).
bool in_main_program(const void* address) {
    struct query {
        std::uintptr_t address;
        bool found;
    } q{reinterpret_cast<std::uintptr_t>(address), false};
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) -> int {
            auto* q = static_cast<query*>(data);
            if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0') return 0;
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const auto& ph = info->dlpi_phdr[i];
                if (ph.p_type != PT_LOAD) continue;
                std::uintptr_t begin = info->dlpi_addr + ph.p_vaddr;
                if (q->address >= begin && q->address < begin + ph.p_memsz) {
                    q->found = true;
                    return 1;
                }
            }
            return 0;
        },
        &q);
    return q.found;
}

}  // namespace

std::optional<std::string> executable_directory() {
    // readlink does not say whether it truncated, so grow until the answer fits with room to spare.
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return std::nullopt;
        if (static_cast<std::size_t>(n) < buffer.size()) {
            return parent_of(std::string(buffer.data(), static_cast<std::size_t>(n)));
        }
        if (buffer.size() > (1u << 20)) return std::nullopt;
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<std::string> module_directory(const void* address) {
    Dl_info info{};
    if (address == nullptr || dladdr(address, &info) == 0 || info.dli_fname == nullptr ||
        info.dli_fname[0] == '\0') {
        return std::nullopt;
    }
    // The main program is reported under its argv[0], which may be relative or a bare name.
    if (info.dli_fname[0] != '/' && in_main_program(address)) return executable_directory();
    char* resolved = realpath(info.dli_fname, nullptr);
    if (resolved == nullptr) return parent_of(info.dli_fname);
    std::string full(resolved);
    free(resolved);
    return parent_of(full);
}

}  // namespace rx::platform
