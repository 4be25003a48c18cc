// Native paths: the one separator helper and the platform's program names.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace rx::platform {

#ifdef _WIN32
inline constexpr char path_separator = '\\';
#else
inline constexpr char path_separator = '/';
#endif

// dir + separator + name; a name may itself hold '/' which becomes the native separator.
std::string join_path(std::string_view dir, std::string_view name);

// "rx_update" -> "rx_update.exe" on Windows, unchanged elsewhere.
std::string program_file_name(std::string_view base);

// Folder of the running executable (GetModuleFileNameA / /proc/self/exe) without a trailing
// separator.
std::optional<std::string> executable_directory();

// Folder of the module (program or shared library) that contains `address`.
std::optional<std::string> module_directory(const void* address);

}  // namespace rx::platform
