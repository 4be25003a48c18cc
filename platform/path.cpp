// Path helpers shared by every platform: joining with the native separator, program names.
#include "platform/path.h"

namespace rx::platform {

std::string join_path(std::string_view dir, std::string_view name) {
    std::string result(dir);
    // A folder given with its trailing separator must not produce "dir//name".
    if (!result.empty() && result.back() != '/' && result.back() != '\\' && !name.empty()) {
        result += path_separator;
    }
    std::size_t start = result.size();
    result.append(name);
    for (std::size_t i = start; i < result.size(); ++i) {
        if (result[i] == '/' || result[i] == '\\') result[i] = path_separator;
    }
    return result;
}

std::string program_file_name(std::string_view base) {
    std::string name(base);
#ifdef _WIN32
    if (name.size() < 4 || name.compare(name.size() - 4, 4, ".exe") != 0) name += ".exe";
#endif
    return name;
}

}  // namespace rx::platform
