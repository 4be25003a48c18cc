// Run-time libraries on POSIX: dlopen with immediate binding, so a missing symbol fails the open.
#include <dlfcn.h>

#include "platform/dynamic_library.h"

namespace rx::platform {

std::unique_ptr<dynamic_library> dynamic_library::open(const std::string& path,
                                                       std::string& error) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        error = reason ? reason : "cannot load " + path;
        return nullptr;
    }
    return std::unique_ptr<dynamic_library>(new dynamic_library(handle));
}

dynamic_library::~dynamic_library() {
    dlclose(handle_);
}

void* dynamic_library::symbol(const char* name) const {
    return dlsym(handle_, name);
}

std::string library_file_name(std::string_view name) {
    return std::string(name);
}

}  // namespace rx::platform
